// The scenario's screen layouts: 36 slots, each a picture name and named rectangles (elements) that say where the
// parts of a dialog, the still screens, the map screen and the status panel lie. Slots 0 to 33 come from the
// "Config" file; 34 and 35 stay empty.
//
// Table (big-endian): an int16 count N, then N layout records, of which the first 34 are kept. Layout record: an
// int16 (ignored), the name (short string), an int16 element count, the elements. Element: name (short string,
// shifted down on reading), then int16 y, x, width and height (y before x).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/view_layer.h"
#include "game/graphics/bounds.h"

class Bitmap;
class DataStream;

constexpr int32_t kLayoutSlotCount = 36;
constexpr int32_t kLayoutsKept = 34;

class LayoutElement {
 public:
  std::string name;
  int32_t x = 0, y = 0, width = 0, height = 0;

  Bounds GetRect() const { return Bounds{x, y, width, height}; }
  // Both edges are inside: the element covers width + 1 by height + 1 pixels.
  bool Contains(int32_t px, int32_t py) const {
    return x <= px && px <= x + width && y <= py && py <= y + height;
  }
};

// One text of the status panel: what it shows, the element it is drawn into, and whether it is shown at all.
struct StatusTextField {
  std::string text;
  int32_t elementIndex = 0;
  bool shown = false;
};

class Layout {
 public:
  // Out of line, where the portrait's picture type is complete.
  explicit Layout(int32_t index);
  // Destroys the layers as DestroyLayers does.
  ~Layout();
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;
  int32_t GetIndex() const { return index_; }
  const std::string& GetName() const { return name_; }
  int32_t GetElementCount() const { return static_cast<int32_t>(elements_.size()); }
  // Null for an index outside the elements.
  const LayoutElement* GetElement(int32_t index) const;

  // Reads one layout record.
  void Read(DataStream& stream);

  // The status panel's layers: the panel picture, and the portrait and texts over it (empty until the panel is
  // first drawn).
  ViewLayer& PanelLayer() { return panelLayer_; }
  ViewLayer& TextLayer() { return textLayer_; }
  std::vector<StatusTextField>& StatusTexts() { return statusTexts_; }
  const std::vector<StatusTextField>& StatusTexts() const { return statusTexts_; }
  // The copy of the player's portrait that the text layer shows: the player's own picture may go while the panel
  // shows it (a new portrait, a new game, an opened saved game).
  std::unique_ptr<Bitmap>& ShownPortrait() { return shownPortrait_; }
  // Makes both layers that exist visible; the view's current layer stays as it was.
  void ShowLayers();
  // Takes both layers off the view and destroys them, and forgets the texts and the portrait.
  void DestroyLayers();

 private:
  int32_t index_;
  std::string name_;
  std::vector<std::unique_ptr<LayoutElement>> elements_;
  ViewLayer panelLayer_;
  ViewLayer textLayer_;
  std::vector<StatusTextField> statusTexts_;
  std::unique_ptr<Bitmap> shownPortrait_;
};

// Reads the table into a new set of 36 slots (records past the 34th are read and dropped).
void ReadLayouts(DataStream& stream);
Layout* GetLayout(int32_t index);  // null for an empty slot or an index outside 0 to 35
// Deletes every layout, and frees the status panel's picture and mask.
void FreeLayouts();
void ClearLayoutTable();
