// The game view: set-up, the layer list and the current layer, the update with scrolling and the offscreen
// bracket, fonts and text labels, and the registration that GetSceneView answers from.
#include "game/world/scene_view.h"

#include <algorithm>
#include <new>
#include <utility>

#include "game/graphics/bitmap.h"
#include "game/graphics/bitmap_font.h"
#include "host/gdi.h"

namespace {

constexpr int32_t kMaxViewSide = 8192;
constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kLetterL = 108;

SceneView*& Registered() {
  static SceneView* view = nullptr;
  return view;
}

std::unique_ptr<SceneView>& Kept() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static auto* view = new std::unique_ptr<SceneView>;
  return *view;
}

int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::unique_ptr<Bitmap> FilledSwatch(int32_t format, DrawColor color) {
  auto swatch = std::make_unique<Bitmap>();
  if (swatch->Create(32, 32, format) != kBitmapReady) return nullptr;
  FillRect(*swatch, swatch->Frame(), color);
  return swatch;
}

}  // namespace

SceneView::SceneView() { Registered() = this; }

SceneView::~SceneView() {
  Reset();
  if (Registered() == this) Registered() = nullptr;
}

int32_t SceneView::Create(int32_t width, int32_t height, int32_t, int32_t flags) {
  redraw_ = true;
  visible_.x = visible_.y = 0;
  pendingDx_ = pendingDy_ = 0;
  flags_ = flags;
  backBufferFormat_ = OpaqueFormat;
  const int32_t error = CreateBackBuffer(width, height);
  if (error != 0) return error;
  swatch1_ = FilledSwatch(OpaqueFormat, DrawColor{0, 0, 0, 255});
  swatch2_ = FilledSwatch(KeyedFormat, DrawColor{0, 0, 255, 128});
  visible_ = screen_ = Bounds{0, 0, width, height};
  setUp_ = true;
  return 0;
}

int32_t SceneView::CreateBackBuffer(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || width > kMaxViewSide || height > kMaxViewSide) return kBitmapBadSize;
  auto buffer = std::unique_ptr<Bitmap>(new (std::nothrow) Bitmap);
  if (buffer == nullptr) return kBitmapBadSize;
  const BitmapStatus status = buffer->Create(width, height, backBufferFormat_ != 0 ? backBufferFormat_ : OpaqueFormat);
  if (status != kBitmapReady) return status;
  // Zero-filled 3-byte pixels are opaque black.
  backBuffer_ = std::move(buffer);
  return 0;
}

void SceneView::Reset() {
  // The view goes: the layers are deleted without damaging anything (the pictures they show may be gone, and
  // measuring them for the damage would read freed memory).
  layers_.clear();
  layerStack_.clear();
  current_ = nullptr;
  spare_ = LayerRef{};
  spareBackBuffer_.reset();
  swatch1_.reset();
  swatch2_.reset();
  backBuffer_.reset();
  fonts_.clear();
  currentFont_ = -1;
  redraw_ = true;
  setUp_ = false;
}

LayerRef SceneView::AddLayer(const Bounds& rect, int32_t mode) {
  redraw_ = true;
  auto layer = std::unique_ptr<SceneLayer>(new (std::nothrow) SceneLayer(*this, rect, mode));
  if (layer == nullptr) return LayerRef{};
  layers_.push_back(std::move(layer));
  return LayerRef{true, std::prev(layers_.end())};
}

LayerRef SceneView::AddDefaultLayer(int32_t mode) {
  if (mode == SceneLayer::kScreenMode) {
    const int32_t width = backBuffer_ != nullptr ? backBuffer_->width : 0;
    const int32_t height = backBuffer_ != nullptr ? backBuffer_->height : 0;
    return AddLayer(Bounds{0, 0, width, height}, mode);
  }
  return AddLayer(Bounds{0, 0, 32767, 32767}, mode);
}

void SceneView::RemoveLayer(const LayerRef& given) {
  const LayerRef ref = given;  // the caller's may be one of the references cleared below
  SceneLayer* layer = ref.Layer();
  if (layer == nullptr) return;
  if (current_ == layer) current_ = nullptr;
  for (SceneLayer*& saved : layerStack_) {
    if (saved == layer) saved = nullptr;
  }
  if (spare_.Layer() == layer) spare_ = LayerRef{};
  layer->Destroy();
  layers_.erase(ref.entry);
}

LayerRef SceneView::FindLayer(uint64_t serial) {
  for (auto entry = layers_.begin(); entry != layers_.end(); ++entry) {
    if ((*entry)->Serial() == serial) return LayerRef{true, entry};
  }
  return LayerRef{};
}

bool SceneView::HoldsEntriesOf(const SceneLayer* layer, uint64_t epoch) const {
  if (layer == nullptr) return false;
  for (const auto& listed : layers_) {
    if (listed.get() == layer) return layer->Epoch() == epoch;
  }
  return false;
}

void SceneView::PushLayer() {
  layerStack_.push_back(current_);
  current_ = nullptr;
}

void SceneView::PopLayer() {
  if (layerStack_.empty()) return;
  current_ = layerStack_.back();
  layerStack_.pop_back();
}

void SceneView::SetCurrentLayerImage(Bitmap* image) {
  if (current_ != nullptr) current_->SetImage(image);
}

void SceneView::SetCamera(int32_t x, int32_t y) {
  if (x == visible_.x && y == visible_.y) return;
  redraw_ = true;
  const int32_t newX = std::clamp(x, 0, kMaxScroll);
  const int32_t newY = std::clamp(y, 0, kMaxScroll);
  pendingDx_ = Saturate(int64_t{pendingDx_} + visible_.x - newX);
  pendingDy_ = Saturate(int64_t{pendingDy_} + visible_.y - newY);
  for (auto& layer : layers_) {
    if (layer->Mode() == SceneLayer::kScreenMode) layer->InvalidateAll();
  }
  visible_.x = newX;
  visible_.y = newY;
}

void SceneView::Update(Region& region) {
  if (!setUp_ || suspend_ != 0 || backBuffer_ == nullptr || (backBuffer_->state & Bitmap::kLocked) == 0) return;
  for (auto& layer : layers_) {
    if (layer->Mode() != 0) layer->SortImages();
  }
  for (auto& layer : layers_) layer->AddAlphaRegion();

  const Bounds frame = backBuffer_->Frame();
  if ((flags_ & kRedrawAll) != 0) {
    flags_ &= ~kRedrawAll;
    update_.SetRect(visible_);
    output_.SetRect(frame);
    pendingDx_ = pendingDy_ = 0;
  } else {
    const Bounds r{screen_.x + visible_.x, screen_.y + visible_.y, screen_.width, screen_.height};
    if (pendingDx_ != 0 || pendingDy_ != 0) {
      ScrollRect(*backBuffer_, screen_, pendingDx_, pendingDy_);
      // The strips the move exposed; a move of the whole width or height exposes all of it.
      if (pendingDx_ > 0) {
        update_.UnionRect(Bounds{r.x, r.y, std::min(pendingDx_, r.width), r.height});
      } else if (pendingDx_ < 0) {
        update_.UnionRect(-int64_t{pendingDx_} >= r.width ? r
                                                           : Bounds{r.x + r.width + pendingDx_, r.y, -pendingDx_, r.height});
      }
      if (pendingDy_ > 0) {
        update_.UnionRect(Bounds{r.x, r.y, r.width, std::min(pendingDy_, r.height)});
      } else if (pendingDy_ < 0) {
        update_.UnionRect(-int64_t{pendingDy_} >= r.height ? r
                                                            : Bounds{r.x, r.y + r.height + pendingDy_, r.width, -pendingDy_});
      }
      pendingDx_ = pendingDy_ = 0;
      for (auto& layer : layers_) {
        if (layer->Mode() == SceneLayer::kScreenMode) layer->InvalidateAll();
      }
      output_.Assign(update_);
      output_.UnionRect(r);
    } else {
      for (auto& layer : layers_) layer->AddMaskRegion(update_, false);
      for (auto& layer : layers_) {
        if (layer->Mode() == SceneLayer::kScreenMode && layer->IsBusy()) layer->InvalidateAll();
      }
      output_.Assign(update_);
    }
    output_.Offset(Point{-visible_.x, -visible_.y});
    // The changed area is cut to the back buffer (a strip exposed by a scroll can reach past it): the presenter
    // copies the region's pixels out of the back buffer, which has none beyond its edges.
    Region inside(frame);
    inside.Intersect(output_);
  }

  // Nothing to redraw draws nothing: a layer draws only where it meets the update region.
  Bounds damaged;
  if (update_.GetBounds(damaged) != NULLREGION) {
    auto first = layers_.begin();
    if (nesting_ > 0 && spare_.made) first = spare_.entry;
    for (auto layer = first; layer != layers_.end(); ++layer) (*layer)->Draw(*backBuffer_);
  }

  redraw_ = false;
  region.Assign(output_);
  update_.Clear();
}

void SceneView::AnimateLayers() {
  redraw_ = true;
  for (auto& layer : layers_) layer->Animate();
}

void SceneView::ClearLayers() {
  redraw_ = true;
  for (auto& layer : layers_) layer->Clear();
}

void SceneView::HideAllLayers() {
  redraw_ = true;
  for (auto& layer : layers_) layer->SetVisible(false);
}

void SceneView::MarkAllLayersDirty() {
  redraw_ = true;
  for (auto& layer : layers_) layer->MarkDirty();
}

void SceneView::ClearBackBuffer() {
  if (backBuffer_ == nullptr) return;
  backBuffer_->Clear();
  flags_ |= kRedrawAll;
}

void SceneView::RedrawAllNextTime() {
  flags_ |= kRedrawAll;
  update_.SetRect(visible_);
  pendingDx_ = pendingDy_ = 0;
}

void SceneView::BeginOffscreen() {
  suspendStack_.push_back(suspend_);
  suspend_ = 0;
  if (nesting_ == 0 && backBuffer_ != nullptr) {
    const Bitmap& back = *backBuffer_;
    // A spare buffer kept from a back buffer of another size is made again: one of the old size would hold only
    // part of the frame, or a frame with a band of black, as the snapshot shown while the bracket is open.
    if (spareBackBuffer_ != nullptr && (spareBackBuffer_->width != back.width || spareBackBuffer_->height != back.height)) {
      spareBackBuffer_.reset();
    }
    if (spareBackBuffer_ == nullptr) {
      auto spare = std::make_unique<Bitmap>();
      if (spare->Create(back.width, back.height, back.format) == kBitmapReady) spareBackBuffer_ = std::move(spare);
    }
    if (spareBackBuffer_ != nullptr) {
      // The whole current frame, composed into the spare buffer in the back buffer's place.
      std::swap(backBuffer_, spareBackBuffer_);
      RedrawAllNextTime();
      Region composed;
      Update(composed);
      RedrawAllNextTime();
      std::swap(backBuffer_, spareBackBuffer_);

      spare_ = AddDefaultLayer(SceneLayer::kScreenMode);
      redraw_ = true;
      if (spare_.made) {
        PushLayer();
        current_ = spare_.Layer();
        SetCurrentLayerImage(spareBackBuffer_.get());
        current_->PlaceImage(0, 0);
        PopLayer();
      }
    }
  }
  ++nesting_;
}

void SceneView::EndOffscreen() {
  --nesting_;
  if (nesting_ <= 0) {
    if (spare_.made) {
      redraw_ = true;
      RemoveLayer(spare_);
    }
    if (spareBackBuffer_ != nullptr) spareBackBuffer_->Clear();
    flags_ |= kRedrawAll;
    pendingDx_ = pendingDy_ = 0;
    nesting_ = 0;
  }
  // An end without its begin has nothing to give back.
  if (!suspendStack_.empty()) {
    suspend_ = suspendStack_.back();
    suspendStack_.pop_back();
  }
}

int32_t SceneView::AddFont(const std::string& face, int32_t size, DrawColor color, int32_t style) {
  auto font = std::unique_ptr<BitmapFont>(new (std::nothrow) BitmapFont);
  if (font == nullptr) return -1;
  font->SetColor(color);
  font->SetSize(size);
  font->SetStyle(style);
  fonts_.push_back(FontEntry{std::move(font), face, false});
  return static_cast<int32_t>(fonts_.size()) - 1;
}

BitmapFont* SceneView::GetFont(int32_t index) const {
  if (index < 0 || index >= FontCount()) return nullptr;
  FontEntry& entry = fonts_[static_cast<size_t>(index)];
  if (!entry.built) {
    entry.built = true;
    entry.font->SetFace(entry.face);
    entry.font->Build();
  }
  return entry.font.get();
}

void SceneView::SetCurrentFont(int32_t index) {
  // Only the index is taken: the font is built when text first needs it.
  if (index >= 0 && index < FontCount()) currentFont_ = index;
}

int32_t SceneView::GetFontSize() const {
  const BitmapFont* font = GetCurrentFont();
  return font != nullptr ? font->Size() : 0;
}

int32_t SceneView::GlyphHeight(uint8_t code) const {
  const BitmapFont* font = GetCurrentFont();
  const Bitmap* glyph = font != nullptr ? font->GetGlyph(code) : nullptr;
  return glyph != nullptr ? glyph->height : 0;
}

std::vector<SceneView::LineSize> SceneView::MeasureLines(const std::string& text) const {
  std::vector<LineSize> lines;
  LineSize line{0, 0, 0};
  const BitmapFont* font = GetCurrentFont();
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t code = static_cast<uint8_t>(text[i]);
    if (const Bitmap* glyph = font != nullptr ? font->GetGlyph(code) : nullptr) {
      line.width += glyph->width;
      line.height = std::max(line.height, glyph->height);
    }
    if (code == kCarriageReturn) {
      line.end = i + 1;
      lines.push_back(line);
      line = LineSize{0, 0, 0};
    }
  }
  line.end = text.size();
  lines.push_back(line);
  return lines;
}

void SceneView::MeasureText(int32_t x, int32_t y, const std::string& text, Bounds* out) const {
  *out = Bounds{x, y, 0, 0};
  const std::vector<LineSize> lines = MeasureLines(text);
  for (const LineSize& line : lines) {
    out->width = std::max(out->width, line.width);
    out->height += line.height;
  }
  if (out->height == 0 && lines.size() > 1) out->height = GlyphHeight(kLetterL);
}

void SceneView::AddTextLabelAt(int32_t* x, int32_t* y, const std::string& text, int32_t lineStart) {
  const std::vector<LineSize> lines = MeasureLines(text);
  const int32_t emptyLine = GlyphHeight(kLetterL);
  int32_t pen = *x;
  int32_t top = *y;
  int32_t advance = 0;
  size_t begin = 0;
  const BitmapFont* font = GetCurrentFont();
  for (size_t n = 0; n < lines.size(); ++n) {
    pen = n == 0 || lineStart == -1 ? *x : lineStart;
    for (size_t i = begin; i < lines[n].end; ++i) {
      Bitmap* glyph = font != nullptr ? font->GetGlyph(static_cast<uint8_t>(text[i])) : nullptr;
      if (glyph == nullptr) continue;
      SetCurrentLayerImage(glyph);
      if (current_ != nullptr) current_->PlaceImage(pen, top);
      pen += glyph->width;
    }
    advance = lines[n].height > 0 ? lines[n].height : emptyLine;
    top += advance;
    begin = lines[n].end;
  }
  *x = pen;
  *y = top - advance;
}

void SceneView::AddTextLabel(int32_t x, int32_t y, const std::string& text) { AddTextLabelAt(&x, &y, text, -1); }

void SceneView::AddTextLabelCentred(const Bounds& rect, const std::string& text) {
  Bounds size;
  MeasureText(0, 0, text, &size);
  int32_t x = rect.x + (rect.width - size.width) / 2;
  int32_t y = rect.y + (rect.height - size.height) / 2;
  AddTextLabelAt(&x, &y, text, -1);
}

void SceneView::AddTextLabelWrapped(const Bounds& box, const std::string& text, bool wrap) {
  int32_t penX = box.x;
  int32_t penY = box.y;
  const int64_t right = int64_t{box.x} + box.width;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != ' ' && static_cast<uint8_t>(text[end]) != kCarriageReturn) ++end;
    if (end < text.size()) ++end;  // the word keeps its closing blank or carriage return
    std::string word = text.substr(start, end - start);
    start = end;
    if (penX != box.x) {
      Bounds size;
      MeasureText(penX, penY, word, &size);
      if (int64_t{penX} + size.width > right) {
        if (wrap) {
          penX = box.x;
          penY += size.height;
        } else {
          while (!word.empty()) {
            word.pop_back();
            MeasureText(penX, penY, word, &size);
            if (int64_t{penX} + size.width <= right) break;
          }
        }
      }
    }
    AddTextLabelAt(&penX, &penY, word, box.x);
  }
}

SceneView* GetSceneView() { return Registered(); }
void SetSceneView(std::unique_ptr<SceneView> view) { Kept() = std::move(view); }
