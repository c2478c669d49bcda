// The control base, the buttons, the picture, the static text, the text field and the factory.
#include "game/dialogs/controls.h"

#include <algorithm>

#include "game/dialogs/dialog.h"
#include "game/dialogs/list_controls.h"
#include "game/rules/text_variables.h"
#include "game/shell/input_manager.h"
#include "game/world/scene_view.h"

namespace {

constexpr DrawColor kBlack{0, 0, 0, 255};
constexpr DrawColor kWhite{255, 255, 255, 255};
constexpr int32_t kCaretWidth = 1;
constexpr int32_t kCaretHeight = 14;
// The caption frame: corners and edges two pixels thick, the fill colour at (2, 2); smaller pictures or buttons
// than this have none.
constexpr int32_t kFrameEdge = 2;
constexpr int32_t kSmallestFramed = 5;

// The rectangle cut to the screen's size, and without negative sizes: the text field and the caption button make
// a picture of their rectangle's size, which a damaged layout would otherwise size at up to 32767 x 32767 pixels.
Bounds CutToScreen(const Bounds& rect) {
  const Bounds screen = ScreenBounds();
  return Bounds{rect.x, rect.y, std::clamp(rect.width, 0, std::max(screen.width, 0)),
                std::clamp(rect.height, 0, std::max(screen.height, 0))};
}

// Places the picture at (x, y) on the view's current layer.
void PlacePicture(SceneView& view, Bitmap* picture, int32_t x, int32_t y) {
  SceneLayer* layer = view.GetCurrentLayer();
  if (picture == nullptr || layer == nullptr) return;
  view.SetCurrentLayerImage(picture);
  layer->PlaceImage(x, y);
}

}  // namespace

int32_t ScreenPixelFormat() { return OpaqueFormat; }

std::unique_ptr<Bitmap> MakeFilledPicture(int32_t width, int32_t height, DrawColor colour) {
  if (width <= 0 || height <= 0) return nullptr;
  auto picture = std::make_unique<Bitmap>();
  if (picture->Create(width, height, ScreenPixelFormat()) != kBitmapReady) return nullptr;
  FillRect(*picture, picture->Frame(), colour);
  return picture;
}

void SelectColour(SceneView& view, int32_t index) { view.SetCurrentFont(index); }

Control::Control(const Bounds& rect) : rect_(CutToScreen(rect)) {}

Control::~Control() { ownLayer_.Destroy(); }

void Control::Draw(SceneView& view) {
  if (visible_) {
    if (SceneLayer* own = ownLayer_.Get()) {
      own->InvalidateRect(Bounds{0, 0, rect_.width, rect_.height});
    } else if (SceneLayer* current = view.GetCurrentLayer()) {
      current->InvalidateRect(rect_);
    }
  }
  needsRedraw_ = false;
}

ControlEvent Control::Track(int32_t, int32_t, int32_t) { return kEventNothing; }

void Control::Show() { visible_ = true; }

void Control::SetState(bool on) {
  if (on_ != on) Redraw();
  on_ = on;
}

void Control::SetDefault(bool focus) {
  if (focus_ != focus) Redraw();
  focus_ = focus;
}

void Control::SetHovered(bool hovered) {
  if (hovered_ != hovered) Redraw();
  hovered_ = hovered;
}

Button::Button(const Bounds& rect) : Control(rect) {
  on_ = true;
  visible_ = true;
}

ControlEvent Button::Track(int32_t, int32_t, int32_t) {
  // A focused button fires in every frame that finds Return down. Only an enabled one: a button disabled by a
  // handler earlier in the same frame still holds the focus until the frame's end, and would run a command its
  // dialog has just refused (the spell dialog's "Cast" for a spell the character cannot pay for).
  if (focus_ && enabled_ && Input::IsKeyDown(kSlotReturn) != 0) {
    Input::ClearClick();
    return command_;
  }
  if (hovered_ && enabled_ && Input::WasClicked()) {
    Input::ClearClick();
    return command_;
  }
  return kEventNothing;
}

void Button::SetState(bool on) {
  if (on_ != on || enabled_ != on) Redraw();
  on_ = enabled_ = on;
}

void Button::SetCommandAndShow(int32_t command) {
  if (command == 0) return;
  command_ = command;
  on_ = enabled_ = visible_ = true;
}

PictureButton::PictureButton(const Bounds& rect) : Button(rect) {}

void PictureButton::Draw(SceneView& view) {
  if (visible_) {
    Bitmap* shown = focus_ && enabled_ && pressed_ != nullptr ? pressed_.get() : normal_.get();
    PlacePicture(view, shown, rect_.x, rect_.y);
  }
  Control::Draw(view);
}

void PictureButton::SetPictures(std::unique_ptr<Bitmap> normal, std::unique_ptr<Bitmap> pressed) {
  if (normal == nullptr && pressed == nullptr) return;
  normal_ = std::move(normal);
  pressed_ = std::move(pressed);
  Redraw();
  on_ = enabled_ = visible_ = true;
}

TextButton::TextButton(const Bounds& rect) : Button(rect) { SetCommandAndShow(kEventClose); }

void TextButton::Draw(SceneView& view) {
  if (visible_ && !caption_.empty()) {
    SelectColour(view, focus_ && enabled_ ? highlightColour_ : normalColour_);
    view.AddTextLabelWrapped(rect_, caption_, true);
  }
  Control::Draw(view);
}

void TextButton::SetCaption(const std::string& text) {
  caption_ = ExpandTextVariables(text);
  Redraw();
  on_ = enabled_ = true;
}

PictureControl::PictureControl(const Bounds& rect) : Control(rect) { visible_ = true; }

PictureControl::~PictureControl() {
  if (owns_) delete picture_;
}

void PictureControl::Draw(SceneView& view) {
  if (visible_) PlacePicture(view, picture_, rect_.x, rect_.y);
  Control::Draw(view);
}

void PictureControl::SetPicture(Bitmap* picture, bool owns) {
  if (picture != picture_) {
    if (owns_) delete picture_;
    picture_ = picture;
    Redraw();
  }
  owns_ = owns;
}

StaticTextControl::StaticTextControl(const Bounds& rect) : Control(rect) { visible_ = true; }

void StaticTextControl::Draw(SceneView& view) {
  if (visible_ && !text_.empty()) {
    SelectColour(view, colour_);
    view.AddTextLabelWrapped(rect_, text_, true);
  }
  Control::Draw(view);
}

void StaticTextControl::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = ExpandTextVariables(text);
  Redraw();
}

void StaticTextControl::SetColour(int32_t index) {
  colour_ = index;
  visible_ = true;
}

TextField::TextField(const Bounds& rect) : Control(rect) {
  visible_ = true;
  Input::SetTextLimit(0);
  caret_ = MakeFilledPicture(kCaretWidth, kCaretHeight, kBlack);
  background_ = MakeFilledPicture(rect_.width, rect_.height, kWhite);
  if (background_ != nullptr) FrameRect(*background_, background_->Frame(), kBlack);
}

std::string TextField::ShownText(SceneView& view) const {
  std::string shown = text_;
  Bounds size;
  view.MeasureText(0, 0, shown, &size);
  while (!shown.empty() && size.width > rect_.width) {
    shown.erase(shown.begin());
    view.MeasureText(0, 0, shown, &size);
  }
  return shown;
}

Point TextField::CaretPosition(SceneView& view) const {
  if (text_.empty()) return Point{rect_.x + 3, rect_.y + 2};
  Bounds size;
  view.MeasureText(rect_.x + 2, rect_.y + 1, ShownText(view), &size);
  return Point{size.x + size.width + 1, size.y + 1};
}

void TextField::Draw(SceneView& view) {
  if (visible_) {
    PlacePicture(view, background_.get(), rect_.x, rect_.y);
    SelectColour(view, colour_);
    if (!text_.empty()) view.AddTextLabel(rect_.x + 2, rect_.y + 1, ShownText(view));
    const Point caret = CaretPosition(view);
    PlacePicture(view, caret_.get(), caret.x, caret.y);
  }
  Control::Draw(view);
}

ControlEvent TextField::Track(int32_t, int32_t, int32_t) {
  std::string typed;
  Input::GetText(typed, false);
  if (typed != text_) {
    text_ = typed;
    Redraw();
  }
  return kEventNothing;
}

void TextField::SetText(const std::string& text) {
  text_ = ExpandTextVariables(text);
  Redraw();
  Input::SetText(text_);
}

void TextField::SetMaxLength(int32_t length) { Input::SetTextLimit(length); }

CaptionButton::CaptionButton(const Bounds& rect) : Button(rect) {
  SetCommandAndShow(kEventClose);
  BuildFrame();
}

void CaptionButton::BuildFrame() {
  frame_.reset();
  const Bitmap* picture = GetDialogGlobalPicture();
  if (picture == nullptr || rect_.width < kSmallestFramed || rect_.height < kSmallestFramed ||
      picture->width < kSmallestFramed || picture->height < kSmallestFramed) {
    return;
  }
  auto frame = std::make_unique<Bitmap>();
  if (frame->Create(rect_.width, rect_.height, ScreenPixelFormat()) != kBitmapReady) return;
  const int32_t w = rect_.width, h = rect_.height;
  const int32_t pw = picture->width, ph = picture->height;
  const int32_t e = kFrameEdge;
  // The four corners.
  DrawBitmap(*frame, Point{0, 0}, *picture, Bounds{0, 0, e, e});
  DrawBitmap(*frame, Point{w - e, 0}, *picture, Bounds{pw - e, 0, e, e});
  DrawBitmap(*frame, Point{0, h - e}, *picture, Bounds{0, ph - e, e, e});
  DrawBitmap(*frame, Point{w - e, h - e}, *picture, Bounds{pw - e, ph - e, e, e});
  // The edges: the picture's column at x = 2 along the top and bottom, its row at y = 2 down the sides.
  for (int32_t x = e; x <= w - e - 1; ++x) {
    DrawBitmap(*frame, Point{x, 0}, *picture, Bounds{e, 0, 1, e});
    DrawBitmap(*frame, Point{x, h - e}, *picture, Bounds{e, ph - e, 1, e});
  }
  for (int32_t y = e; y <= h - e - 1; ++y) {
    DrawBitmap(*frame, Point{0, y}, *picture, Bounds{0, e, e, 1});
    DrawBitmap(*frame, Point{w - e, y}, *picture, Bounds{pw - e, e, e, 1});
  }
  DrawColor fill;
  GetPixel(fill, *picture, e, e);
  FillRect(*frame, Bounds{e, e, w - 2 * e, h - 2 * e}, fill);
  frame_ = std::move(frame);
}

void CaptionButton::Draw(SceneView& view) {
  if (visible_ && !caption_.empty()) {
    PlacePicture(view, frame_.get(), rect_.x, rect_.y);
    SelectColour(view, !enabled_ ? kGreyColour : focus_ ? kHighlightColour : kPlainColour);
    view.AddTextLabelCentred(rect_, caption_);
  }
  Control::Draw(view);
}

void CaptionButton::SetCaption(const std::string& text) {
  caption_ = ExpandTextVariables(text);
  Redraw();
  on_ = enabled_ = true;
}

std::unique_ptr<Control> CreateControl(int32_t kind, const Bounds& rect) {
  switch (kind) {
    case kPictureButtonKind: return std::make_unique<PictureButton>(rect);
    case kTextButtonKind: return std::make_unique<TextButton>(rect);
    case kPictureControlKind: return std::make_unique<PictureControl>(rect);
    case kStaticTextKind: return std::make_unique<StaticTextControl>(rect);
    case kListKind: return std::make_unique<ListControl>(rect);
    case kTextFieldKind: return std::make_unique<TextField>(rect);
    case kCaptionButtonKind: return std::make_unique<CaptionButton>(rect);
    case kMultiSelectListKind: return std::make_unique<MultiSelectList>(rect);
    default: return nullptr;
  }
}
