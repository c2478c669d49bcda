// The two list kinds of the control factory: ListControl (kind 5: rows of text with an optional picture, a value
// and a count of merged copies; one selected row) and MultiSelectList (kind 8: rows with a pick box; any number
// of rows picked, up to a limit). Both draw on a layer of their own, scroll by pixels or by whole rows, and have a
// scroll bar cut from the list scroll picture (the picture named by screen layout 21): eight strips of equal
// height stacked in it, 0 up arrow, 1 up arrow pressed, 2 track above the thumb, 3 thumb, 4 thumb dragged, 5 track
// below the thumb, 6 down arrow pressed, 7 down arrow.
//
// The row pitch is the tallest picture (or pick box) plus the gap. Without a scroll picture a list has no scroll
// bar. Arrows and the track step at once when pressed, again after 200 ms, then every 20 ms while held; Up and
// Down move the selection at most every 150 ms; Return on the selected row counts as a double click at most once
// every 200 ms.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/controls.h"
#include "game/shell/data/stopwatch.h"

// What the two kinds share: the rows' geometry, the scroll, the selection and the scroll bar.
class ScrollingList : public Control {
 public:
  // The parts of the scroll bar, as the pressed part names them.
  static constexpr int32_t kUpArrow = 0;
  static constexpr int32_t kTrack = 1;
  static constexpr int32_t kThumb = 2;
  static constexpr int32_t kDownArrow = 3;
  static constexpr int32_t kNoPart = 4;

  explicit ScrollingList(const Bounds& rect);
  ~ScrollingList() override;
  bool WantsOwnLayer() const override { return true; }
  // Clears the list's layer and draws the visible rows and the scroll bar on it.
  void Draw(SceneView& view) override;
  ControlEvent Track(int32_t x, int32_t y, int32_t buttons) override;

  virtual int32_t GetRowCount() const = 0;
  // The selected row, -1 for none.
  int32_t GetSelection() const { return selection_; }
  int32_t GetScroll() const { return scroll_; }
  int32_t GetMaxScroll() const { return maxScroll_; }
  int32_t GetRowPitch() const { return tallest_ + gap_; }
  int32_t GetPressedPart() const { return pressedPart_; }
  // Whether the scroll bar shows: there is a scroll picture, more than one row and room to scroll.
  bool ShowsScrollBar() const;
  // The scroll-bar parts, relative to the dialog's frame (all empty without a scroll picture).
  const Bounds& UpArrowRect() const { return up_; }
  const Bounds& TrackRect() const { return track_; }
  const Bounds& ThumbRect() const { return thumb_; }
  const Bounds& DownArrowRect() const { return down_; }

 protected:
  // What a row's click, a row's double click, an Up or Down move and Return on the selected row give; each kind
  // selects (and picks) as it does.
  virtual ControlEvent RowClicked(int32_t row, int32_t x) = 0;
  virtual ControlEvent RowDoubleClicked(int32_t row) = 0;
  virtual ControlEvent SelectionMovedByKey() = 0;
  virtual ControlEvent ReturnOnSelection() = 0;
  // The rows from the one at the top of the view, positions relative to the list.
  virtual void DrawRows(SceneView& view, int32_t pitch) = 0;

  // Cuts the scroll-bar strips from the scroll picture and lays the scroll bar out (each kind's constructor).
  void CutStrips();
  // After a row was added: the list has rows and is on, the first row is selected, the scroll is measured again.
  void RowAdded();
  // After the rows were deleted: no selection, no scroll, the thumb at the track's top.
  void RowsCleared();
  bool HasSelection() const { return selection_ >= 0 && selection_ < GetRowCount(); }
  // Maximum scroll from the rows; the scroll clamped to it; a change asks for a redraw.
  void UpdateMaxScroll();
  // Puts the thumb where the scroll says (at the track's top while nothing scrolls).
  void PlaceThumb();
  // The scroll bar on the current layer (positions relative to the list), when it shows.
  void DrawScrollBar(SceneView& view);
  // Text y of a row drawn from y: centred on the tallest picture, below half the gap.
  int32_t TextTop(int32_t y, int32_t textHeight) const { return y + (tallest_ - textHeight) / 2 + gap_ / 2; }
  // The highlight behind the selected row's text, made at the text's size: black while focused, else dark grey.
  Bitmap* Highlight(int32_t width, int32_t height);

  std::array<std::unique_ptr<Bitmap>, 8> strips_;
  Bounds up_, track_, thumb_, down_;
  std::unique_ptr<Bitmap> highlight_;
  bool highlightFocused_ = false;
  int32_t scroll_ = 0;
  int32_t maxScroll_ = 0;
  int32_t widest_ = 0;
  int32_t tallest_ = 0;
  bool hasRows_ = false;
  bool singleText_ = false;
  int32_t indent_ = 6;
  int32_t gap_ = 6;
  int32_t pressedPart_ = kNoPart;
  int32_t selection_ = -1;
  int32_t savedSelection_ = 0;
  int32_t savedScroll_ = 0;
  int32_t anchorThumbY_ = 0;
  int32_t anchorMouseY_ = 0;
  bool smooth_ = true;
  bool firstRepeat_ = true;
  Stopwatch repeatWatch_;
  Stopwatch keyWatch_;

 private:
  // Whether a held part steps this frame: at once when newly pressed, after 200 ms, then every 20 ms.
  bool RepeatStep(int32_t part);
  void ScrollBy(int32_t delta);
};

class ListControl : public ScrollingList {
 public:
  struct Row {
    std::string text;
    Bitmap* picture = nullptr;  // not owned
    int32_t value = 0;          // rows with a value other than 0 are drawn red
    int32_t count = 0;          // copies merged into the row; shown as count + 1
  };

  explicit ListControl(const Bounds& rect);

  // With merge, a row of the same text counts up instead of a new row. The first row is selected.
  void AddRow(Bitmap* picture, const std::string& text, int32_t value, bool merge);
  void Clear();
  int32_t GetRowCount() const override { return static_cast<int32_t>(rows_.size()); }
  const Row& GetRow(int32_t index) const { return *rows_[static_cast<size_t>(index)]; }
  // "" when no row is selected.
  std::string GetSelectedText() const;
  // The row at the top of the view, -1 without rows.
  int32_t GetTopRow() const;
  void SaveScroll();
  void RestoreScroll();
  void Configure(int32_t indent, int32_t gap, bool smooth, bool singleText);

 protected:
  ControlEvent RowClicked(int32_t row, int32_t x) override;
  ControlEvent RowDoubleClicked(int32_t row) override;
  ControlEvent SelectionMovedByKey() override { return kEventSelectionMoved; }
  ControlEvent ReturnOnSelection() override { return kEventRowDoubleClick; }
  void DrawRows(SceneView& view, int32_t pitch) override;

 private:
  std::vector<std::unique_ptr<Row>> rows_;
};

class MultiSelectList : public ScrollingList {
 public:
  struct Row {
    std::string text;
    bool picked = false;
  };

  explicit MultiSelectList(const Bounds& rect);

  // Picked only when asked and the limit allows it. The first row is selected.
  void AddRow(const std::string& text, bool picked);
  void Clear();
  // Picks already made stay.
  void SetLimit(int32_t limit) { limit_ = limit; }
  int32_t GetLimit() const { return limit_; }
  int32_t GetPickCount() const { return pickCount_; }
  int32_t GetRowCount() const override { return static_cast<int32_t>(rows_.size()); }
  const Row& GetRow(int32_t index) const { return rows_[static_cast<size_t>(index)]; }
  std::string GetSelectedText() const;
  // Picks the rows of these texts, searching on from the row after the previous match (names in row order),
  // while the limit allows.
  void PickMatching(const std::vector<std::string>& names);
  // The texts of the picked rows, in row order.
  void GetPicked(std::vector<std::string>& names) const;
  void Configure(int32_t indent, int32_t gap, bool smooth);

 protected:
  ControlEvent RowClicked(int32_t row, int32_t x) override;
  ControlEvent RowDoubleClicked(int32_t row) override;
  ControlEvent SelectionMovedByKey() override { return kEventMultiSelectionMoved; }
  ControlEvent ReturnOnSelection() override;
  void DrawRows(SceneView& view, int32_t pitch) override;

 private:
  // Unpicks a picked row, or picks an unpicked one when the limit allows; the code of what happened.
  ControlEvent Toggle(int32_t row, ControlEvent picked, ControlEvent unpicked, ControlEvent refused);
  // Toggles a row by a double click or Return: 12 unpicked, 11 picked, 10 refused by the limit.
  ControlEvent ToggleByDoubleClick(int32_t row);
  void MakeBoxes();

  std::vector<Row> rows_;
  int32_t pickCount_ = 0;
  int32_t limit_ = INT_MAX;
  std::unique_ptr<Bitmap> unpickedBox_;
  std::unique_ptr<Bitmap> pickedBox_;
};
