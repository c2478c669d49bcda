// The list controls: rows, scrolling, the scroll bar, selection and picks.
#include "game/dialogs/list_controls.h"

#include <algorithm>

#include "game/dialogs/dialog.h"
#include "game/rules/text_variables.h"
#include "game/shell/input_manager.h"
#include "game/world/scene_view.h"

namespace {

constexpr int32_t kStripCount = 8;
constexpr int32_t kSmoothStep = 6;
constexpr float kFirstRepeatMs = 200.0f;
constexpr float kRepeatMs = 20.0f;
constexpr float kKeyMoveMs = 150.0f;
constexpr float kReturnMs = 200.0f;
constexpr int32_t kBoxSize = 12;
constexpr DrawColor kBlack{0, 0, 0, 255};
constexpr DrawColor kWhite{255, 255, 255, 255};
constexpr DrawColor kDarkGrey{64, 64, 64, 255};

int32_t Narrow(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

void Place(SceneView& view, Bitmap* picture, int32_t x, int32_t y) {
  SceneLayer* layer = view.GetCurrentLayer();
  if (picture == nullptr || layer == nullptr) return;
  view.SetCurrentLayerImage(picture);
  layer->PlaceImage(x, y);
}

std::unique_ptr<Bitmap> MakeBox(bool picked) {
  std::unique_ptr<Bitmap> box = MakeFilledPicture(kBoxSize, kBoxSize, kWhite);
  if (box == nullptr) return nullptr;
  FrameRect(*box, box->Frame(), kBlack);
  if (picked) {
    DrawLine(*box, Point{0, 0}, Point{kBoxSize - 1, kBoxSize - 1}, kBlack);
    DrawLine(*box, Point{kBoxSize - 1, 0}, Point{0, kBoxSize - 1}, kBlack);
  }
  return box;
}

}  // namespace

ScrollingList::ScrollingList(const Bounds& rect) : Control(rect) { visible_ = true; }

// The layer goes before the pictures placed on it (the highlight, the strips, the boxes).
ScrollingList::~ScrollingList() { ownLayer_.Destroy(); }

bool ScrollingList::ShowsScrollBar() const { return strips_[0] != nullptr && maxScroll_ > 0 && GetRowCount() > 1; }

void ScrollingList::CutStrips() {
  for (auto& strip : strips_) strip.reset();
  up_ = track_ = thumb_ = down_ = Bounds{};
  const Bitmap* picture = GetListScrollPicture();
  if (picture != nullptr && picture->width > 0 && picture->height >= kStripCount) {
    const int32_t width = picture->width;
    const int32_t strip = picture->height / kStripCount;
    bool cut = true;
    for (int32_t i = 0; i < kStripCount; ++i) {
      strips_[static_cast<size_t>(i)] = std::make_unique<Bitmap>();
      cut = cut && strips_[static_cast<size_t>(i)]->FromRect(*picture, Bounds{0, i * strip, width, strip}, false) ==
                       kBitmapReady;
    }
    if (cut) {
      const int32_t x = rect_.x + rect_.width - width - 1;
      up_ = Bounds{x, rect_.y, width, strip};
      track_ = Bounds{x, rect_.y + strip - 1, width, rect_.height - 2 * strip};
      thumb_ = Bounds{x, rect_.y + strip - 1, width, strip};
      down_ = Bounds{x, rect_.y + rect_.height - strip - 1, width, strip};
    } else {
      for (auto& each : strips_) each.reset();
    }
  }
  UpdateMaxScroll();
}

void ScrollingList::RowAdded() {
  hasRows_ = true;
  on_ = true;
  selection_ = 0;
  UpdateMaxScroll();
  Redraw();
}

void ScrollingList::RowsCleared() {
  selection_ = -1;
  scroll_ = 0;
  thumb_.y = track_.y;
  maxScroll_ = 0;
  Redraw();
}

void ScrollingList::UpdateMaxScroll() {
  const int32_t newMax = Narrow(std::max<int64_t>(0, int64_t{GetRowPitch()} * GetRowCount() - rect_.height));
  if (newMax != maxScroll_) Redraw();
  maxScroll_ = newMax;
  scroll_ = std::clamp(scroll_, 0, maxScroll_);
}

void ScrollingList::PlaceThumb() {
  if (strips_[0] == nullptr) return;
  const int64_t rows = int64_t{GetRowPitch()} * GetRowCount() - rect_.height;
  const int64_t room = int64_t{rect_.height} - up_.height - thumb_.height - down_.height;
  // While the rows fit the box (or the bar has no room) the thumb stays at the track's top: the thumb's place is
  // the scroll over the rows' overflow, a division by zero when the rows exactly fill the box.
  if (rows <= 0 || room <= 0) {
    thumb_.y = track_.y;
    return;
  }
  thumb_.y = Narrow(int64_t{scroll_} * room / rows + up_.y + up_.height);
}

bool ScrollingList::RepeatStep(int32_t part) {
  if (pressedPart_ != part) {
    firstRepeat_ = true;
    repeatWatch_.Restart();
    return true;
  }
  if (repeatWatch_.ElapsedMilliseconds() >= (firstRepeat_ ? kFirstRepeatMs : kRepeatMs)) {
    firstRepeat_ = false;
    repeatWatch_.Restart();
    return true;
  }
  return false;
}

void ScrollingList::ScrollBy(int32_t delta) { scroll_ = Narrow(std::clamp<int64_t>(int64_t{scroll_} + delta, 0, maxScroll_)); }

ControlEvent ScrollingList::Track(int32_t x, int32_t y, int32_t buttons) {
  const int32_t count = GetRowCount();
  if (!focus_ || count == 0) {
    pressedPart_ = kNoPart;
    return kEventNothing;
  }
  ControlEvent code = kEventNothing;
  const int32_t oldScroll = scroll_;
  const int32_t oldPressed = pressedPart_;
  const int32_t oldSelection = selection_;
  // A pitch of 0 (no pictures, and a gap set to 0) counts as 1: rows are found by dividing by it.
  const int32_t pitch = std::max(GetRowPitch(), 1);
  const bool hasBar = strips_[0] != nullptr;
  const int32_t step = smooth_ ? kSmoothStep : pitch;
  int32_t part = kNoPart;
  bool scrolled = false;

  if (hovered_ && (buttons != 0 || Input::WasClicked() || Input::WasDoubleClicked())) {
    int64_t row = (int64_t{y} + scroll_ - rect_.y) / pitch;
    if (row < 0 || row >= count) row = -1;
    const int32_t barWidth = hasBar ? up_.width : 0;
    if (int64_t{x} < int64_t{rect_.x} + rect_.width - barWidth && pressedPart_ == kNoPart) {
      if (row != -1) {
        if (Input::WasClicked()) {
          Input::ClearClick();
          code = RowClicked(static_cast<int32_t>(row), x);
        } else if (Input::WasDoubleClicked()) {
          Input::ClearDoubleClick();
          code = RowDoubleClicked(static_cast<int32_t>(row));
        }
      }
    } else if (!hasBar || count <= 1 || (buttons & 1) == 0) {
      // A list of one row, or a bar without a held button, does not scroll.
    } else if (thumb_.ContainsPoint(x, y) || pressedPart_ == kThumb) {
      part = kThumb;
      if (pressedPart_ != kThumb) {
        anchorThumbY_ = thumb_.y;
        anchorMouseY_ = y;
      } else {
        const int64_t room = int64_t{rect_.height} - up_.height - thumb_.height - down_.height;
        // A track without room for the thumb to move moves nothing: the scroll is worked out over that room, a
        // division by zero (or a negative scale) in a list barely taller than its arrows.
        if (room > 0) {
          thumb_.y = Narrow(std::clamp<int64_t>(int64_t{y} + anchorThumbY_ - anchorMouseY_, int64_t{up_.y} + up_.height,
                                                std::max<int64_t>(int64_t{down_.y} - thumb_.height - 1,
                                                                  int64_t{up_.y} + up_.height)));
          const int64_t span = int64_t{pitch} * (count + 1) - rect_.height;
          scroll_ = span <= 0 ? 0 : Narrow(span * (int64_t{thumb_.y} - up_.height - up_.y) / room);
        }
      }
    } else if (up_.ContainsPoint(x, y)) {
      part = kUpArrow;
      if (RepeatStep(kUpArrow) && scroll_ > 0) {
        ScrollBy(-step);
        scrolled = true;
      }
    } else if (down_.ContainsPoint(x, y)) {
      part = kDownArrow;
      if (RepeatStep(kDownArrow) && scroll_ < maxScroll_) {
        ScrollBy(step);
        scrolled = true;
      }
    } else if (track_.ContainsPoint(x, y)) {
      part = kTrack;
      // A track of no height (a list as tall as its two arrows) has no target: it would divide by zero.
      if (RepeatStep(kTrack) && track_.height > 0) {
        const int64_t target = (int64_t{y} - track_.y) * maxScroll_ / track_.height;
        if (target < scroll_) {
          ScrollBy(-rect_.height);
        } else if (target > scroll_) {
          ScrollBy(rect_.height);
        }
        scrolled = true;
      }
    }
  } else if (keyWatch_.ElapsedMilliseconds() > kKeyMoveMs) {
    if (Input::IsKeyDown(kSlotUp) != 0) {
      selection_ = std::max(selection_ - 1, 0);
      const int64_t top = int64_t{selection_} * pitch;
      if (top < scroll_) scroll_ = Narrow(top);
      keyWatch_.Restart();
      scrolled = true;
      code = SelectionMovedByKey();
    } else if (Input::IsKeyDown(kSlotDown) != 0) {
      selection_ = std::min(selection_ + 1, count - 1);
      const int64_t bottom = (int64_t{selection_} + 1) * pitch;
      if (bottom > int64_t{scroll_} + rect_.height) scroll_ = Narrow(bottom - rect_.height);
      keyWatch_.Restart();
      scrolled = true;
      code = SelectionMovedByKey();
    }
  }

  scroll_ = std::clamp(scroll_, 0, maxScroll_);
  if (!smooth_) scroll_ -= scroll_ % pitch;

  // While the scroll bar is used the selection follows the view. Both kinds give 4 for that move (a multi-select
  // gives its own 9 only for Up and Down).
  if (part != kNoPart && selection_ >= 0) {
    const int64_t at = int64_t{selection_} * pitch;
    int64_t follow = selection_;
    if (at < int64_t{scroll_} - pitch / 2) {
      follow = (int64_t{pitch} + scroll_ - scroll_ % pitch) / pitch;
    } else if (at >= int64_t{scroll_} + rect_.height - pitch + pitch / 2) {
      follow = (int64_t{scroll_} + rect_.height - pitch) / pitch;
    }
    follow = std::clamp<int64_t>(follow, 0, count - 1);
    if (follow != selection_) {
      selection_ = static_cast<int32_t>(follow);
      code = kEventSelectionMoved;
    }
  }
  if (scrolled) PlaceThumb();
  if (scroll_ != oldScroll || part != oldPressed || selection_ != oldSelection) Redraw();

  if (selection_ >= 0 && Input::IsKeyDown(kSlotReturn) != 0 && keyWatch_.ElapsedMilliseconds() > kReturnMs) {
    keyWatch_.Restart();
    code = ReturnOnSelection();
  }
  pressedPart_ = part;
  return code;
}

Bitmap* ScrollingList::Highlight(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (highlight_ == nullptr || highlight_->width != width || highlight_->height != height ||
      highlightFocused_ != focus_) {
    highlight_ = MakeFilledPicture(width, height, focus_ ? kBlack : kDarkGrey);
    highlightFocused_ = focus_;
  }
  return highlight_.get();
}

void ScrollingList::Draw(SceneView& view) {
  if (SceneLayer* layer = ownLayer_.Get()) {
    CurrentLayerScope scope(layer);
    layer->Clear();
    if (visible_ && GetRowCount() > 0) {
      DrawRows(view, std::max(GetRowPitch(), 1));
      DrawScrollBar(view);
    }
  }
  Control::Draw(view);
}

void ScrollingList::DrawScrollBar(SceneView& view) {
  if (!ShowsScrollBar()) return;
  const int32_t dx = -rect_.x, dy = -rect_.y;
  const int32_t strip = up_.height;
  auto strip_at = [&](int32_t index, const Bounds& at, int32_t y) {
    Place(view, strips_[static_cast<size_t>(index)].get(), at.x + dx, y + dy);
  };
  // The track first, so that the thumb and the arrows cover what a tile leaves over.
  if (strip > 0) {
    for (int32_t y = track_.y; y < thumb_.y; y += strip) strip_at(2, track_, y);
    for (int32_t y = thumb_.y + thumb_.height; y < down_.y; y += strip) strip_at(5, track_, y);
  }
  strip_at(pressedPart_ == kThumb ? 4 : 3, thumb_, thumb_.y);
  strip_at(pressedPart_ == kUpArrow ? 1 : 0, up_, up_.y);
  strip_at(pressedPart_ == kDownArrow ? 6 : 7, down_, down_.y);
}

ListControl::ListControl(const Bounds& rect) : ScrollingList(rect) { CutStrips(); }

void ListControl::AddRow(Bitmap* picture, const std::string& text, int32_t value, bool merge) {
  const std::string expanded = ExpandTextVariables(text);
  Row* same = nullptr;
  if (merge) {
    for (auto& row : rows_) {
      if (row->text == expanded) {
        same = row.get();
        break;
      }
    }
  }
  if (same != nullptr) {
    ++same->count;
  } else {
    auto row = std::make_unique<Row>();
    row->text = expanded;
    row->picture = picture;
    row->value = value;
    rows_.push_back(std::move(row));
  }
  if (picture != nullptr) {
    widest_ = std::max(widest_, picture->width);
    tallest_ = std::max(tallest_, picture->height);
  } else if (const SceneView* view = GetSceneView()) {
    const int32_t line = view->GetFontSize();
    gap_ = std::max(gap_, line + line / 2);
  }
  RowAdded();
}

void ListControl::Clear() {
  rows_.clear();
  RowsCleared();
}

std::string ListControl::GetSelectedText() const {
  return HasSelection() ? rows_[static_cast<size_t>(selection_)]->text : std::string();
}

int32_t ListControl::GetTopRow() const {
  if (rows_.empty()) return -1;
  return scroll_ / std::max(GetRowPitch(), 1);
}

void ListControl::SaveScroll() {
  savedSelection_ = selection_;
  savedScroll_ = scroll_;
}

void ListControl::RestoreScroll() {
  // An empty list has no selection (there is no row to clamp the saved one to).
  selection_ = rows_.empty() ? -1 : std::clamp(savedSelection_, 0, GetRowCount() - 1);
  const int64_t top = int64_t{GetRowPitch()} * selection_;
  if (top < 0) {
    scroll_ = 0;
  } else if (top > maxScroll_) {
    scroll_ = maxScroll_;
  } else {
    scroll_ = Narrow(std::min<int64_t>(savedScroll_, top));
  }
  scroll_ = std::clamp(scroll_, 0, maxScroll_);
  PlaceThumb();
  Redraw();
}

void ListControl::Configure(int32_t indent, int32_t gap, bool smooth, bool singleText) {
  indent_ = indent;
  gap_ = gap;
  smooth_ = smooth;
  singleText_ = singleText;
  visible_ = true;
  CutStrips();
}

ControlEvent ListControl::RowClicked(int32_t row, int32_t) {
  selection_ = row;
  return kEventRowClick;
}

ControlEvent ListControl::RowDoubleClicked(int32_t row) {
  selection_ = row;
  return kEventRowDoubleClick;
}

void ListControl::DrawRows(SceneView& view, int32_t pitch) {
  const int32_t first = scroll_ / pitch;
  int32_t y = -(scroll_ % pitch);
  const int32_t textX = indent_ + widest_;
  if (singleText_) {
    const int32_t barWidth = strips_[0] != nullptr ? up_.width : 0;
    SelectColour(view, kPlainColour);
    if (first < GetRowCount()) {
      view.AddTextLabelWrapped(Bounds{0, 0, rect_.width - barWidth, rect_.height},
                               rows_[static_cast<size_t>(first)]->text, true);
    }
    return;
  }
  for (int32_t i = first; i < GetRowCount() && y < rect_.height; ++i, y += pitch) {
    const Row& row = *rows_[static_cast<size_t>(i)];
    if (!row.text.empty()) {
      const bool selected = i == selection_;
      SelectColour(view, selected ? kWhiteColour : row.value != 0 ? kRedColour : kPlainColour);
      Bounds size;
      view.MeasureText(0, 0, row.text, &size);
      const int32_t textY = TextTop(y, size.height);
      if (selected) Place(view, Highlight(size.width, size.height), textX, textY);
      view.AddTextLabel(textX, textY, row.text);
    }
    if (row.picture != nullptr) {
      Place(view, row.picture, indent_ - indent_ / 2, y + gap_ / 2);
      if (row.count != 0) {
        SelectColour(view, kWhiteColour);
        const std::string number = std::to_string(int64_t{row.count} + 1);
        Bounds size;
        view.MeasureText(0, 0, number, &size);
        view.AddTextLabel(textX - indent_ / 2 - size.width, y + gap_ / 2 + tallest_ - size.height, number);
      }
    }
  }
}

MultiSelectList::MultiSelectList(const Bounds& rect) : ScrollingList(rect) {
  indent_ = 10;
  gap_ = 10;
  MakeBoxes();
  CutStrips();
}

void MultiSelectList::MakeBoxes() {
  unpickedBox_ = MakeBox(false);
  pickedBox_ = MakeBox(true);
  widest_ = tallest_ = unpickedBox_ != nullptr ? kBoxSize : 0;
  UpdateMaxScroll();
}

void MultiSelectList::AddRow(const std::string& text, bool picked) {
  Row row;
  row.text = ExpandTextVariables(text);
  if (picked && pickCount_ < limit_) {
    row.picked = true;
    ++pickCount_;
  }
  rows_.push_back(std::move(row));
  RowAdded();
}

void MultiSelectList::Clear() {
  rows_.clear();
  pickCount_ = 0;
  RowsCleared();
}

std::string MultiSelectList::GetSelectedText() const {
  return HasSelection() ? rows_[static_cast<size_t>(selection_)].text : std::string();
}

void MultiSelectList::PickMatching(const std::vector<std::string>& names) {
  size_t from = 0;
  for (const std::string& name : names) {
    if (pickCount_ >= limit_) break;
    for (size_t i = from; i < rows_.size(); ++i) {
      if (rows_[i].text != name) continue;
      if (!rows_[i].picked) {
        rows_[i].picked = true;
        ++pickCount_;
      }
      from = i + 1;
      break;
    }
  }
  Redraw();
}

void MultiSelectList::GetPicked(std::vector<std::string>& names) const {
  names.clear();
  for (const Row& row : rows_) {
    if (row.picked) names.push_back(row.text);
  }
}

void MultiSelectList::Configure(int32_t indent, int32_t gap, bool smooth) {
  indent_ = indent;
  gap_ = gap;
  smooth_ = smooth;
  visible_ = true;
  limit_ = INT_MAX;
  // No pick stays counted: the rows' marks go with the count. Rows left marked with a count of 0 would let the
  // list hold more picks than its limit and unpick below 0.
  pickCount_ = 0;
  for (Row& row : rows_) row.picked = false;
  CutStrips();
  MakeBoxes();
}

ControlEvent MultiSelectList::Toggle(int32_t row, ControlEvent picked, ControlEvent unpicked, ControlEvent refused) {
  Row& toggled = rows_[static_cast<size_t>(row)];
  Redraw();
  if (toggled.picked) {
    toggled.picked = false;
    --pickCount_;
    return unpicked;
  }
  if (pickCount_ >= limit_) return refused;
  toggled.picked = true;
  ++pickCount_;
  return picked;
}

ControlEvent MultiSelectList::RowClicked(int32_t row, int32_t x) {
  selection_ = row;
  const int64_t boxLeft = int64_t{rect_.x} + indent_ / 2;
  const int32_t boxWidth = unpickedBox_ != nullptr ? unpickedBox_->width : 0;
  if (x <= boxLeft || x >= boxLeft + boxWidth) return kEventMultiRowClick;
  return Toggle(row, kEventBoxPicked, kEventBoxUnpicked, kEventMultiRowClick);
}

ControlEvent MultiSelectList::ToggleByDoubleClick(int32_t row) {
  return Toggle(row, kEventDoublePicked, kEventDoubleUnpicked, kEventDoublePickRefused);
}

ControlEvent MultiSelectList::RowDoubleClicked(int32_t row) {
  selection_ = row;
  return ToggleByDoubleClick(row);
}

ControlEvent MultiSelectList::ReturnOnSelection() { return ToggleByDoubleClick(selection_); }

void MultiSelectList::DrawRows(SceneView& view, int32_t pitch) {
  const int32_t boxWidth = unpickedBox_ != nullptr ? unpickedBox_->width : 0;
  const int32_t boxHeight = unpickedBox_ != nullptr ? unpickedBox_->height : 0;
  const int32_t textX = indent_ + boxWidth;
  int32_t y = -(scroll_ % pitch);
  for (int32_t i = scroll_ / pitch; i < GetRowCount() && y < rect_.height; ++i, y += pitch) {
    const Row& row = rows_[static_cast<size_t>(i)];
    Place(view, row.picked ? pickedBox_.get() : unpickedBox_.get(), indent_ / 2, y + gap_ / 2);
    const bool selected = i == selection_;
    SelectColour(view, selected ? kWhiteColour : kPlainColour);
    Bounds size;
    view.MeasureText(0, 0, row.text, &size);
    const int32_t textY = y + (boxHeight - size.height) / 2 + gap_ / 2;
    if (selected) Place(view, Highlight(size.width, size.height), textX, textY);
    view.AddTextLabel(textX, textY, row.text);
  }
}
