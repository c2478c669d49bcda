// SceneView: the one game view. It owns the back buffer (a bitmap of the window's size) and an ordered list of
// scene layers, and each frame it works out which part of the back buffer has to change, redraws exactly the
// images of the layers that meet that part, and hands the changed region to the presenter. It also scrolls the
// map by moving back-buffer pixels and redrawing only the exposed strips, freezes the screen under a snapshot
// while locations and dialogs are rebuilt (the offscreen bracket), runs the layers' moves and fades once a frame,
// keeps the fonts and draws text labels as glyph images on the current layer.
//
// Coordinates. The update region and image rectangles are in world coordinates. The scroll origin S is the world
// point shown at the back buffer's top-left corner; the visible rectangle is {S, back-buffer size}. The screen
// rectangle P (back-buffer coordinates) is the area that scrolls. A world point (wx, wy) lands at
// (wx - S.x, wy - S.y) in the back buffer.
//
// Every view registers itself when constructed: GetSceneView gives the most recent one that still exists. The
// shell owns the game's view through SetSceneView.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/blitter.h"
#include "game/graphics/bounds.h"
#include "game/graphics/region.h"
#include "game/world/scene_layer.h"

class Bitmap;
class BitmapFont;

using SceneLayerList = std::list<std::unique_ptr<SceneLayer>>;

// A layer as its maker holds it: whether it was made, and its entry in the view's list.
struct LayerRef {
  bool made = false;
  SceneLayerList::iterator entry;

  SceneLayer* Layer() const { return made ? entry->get() : nullptr; }
};

class SceneView {
 public:
  // Flags bits 1 and 2: redraw the whole view at the next update.
  static constexpr int32_t kRedrawAll = 3;
  // The scroll origin stays within this, so that no sum of world coordinates leaves the 32-bit range.
  static constexpr int32_t kMaxScroll = 1 << 28;

  SceneView();
  ~SceneView();
  SceneView(const SceneView&) = delete;
  SceneView& operator=(const SceneView&) = delete;

  // Sets the view up with a back buffer of that size (the depth is not used); 0, 1 for a size that cannot be
  // made (zero, negative or beyond 8192 pixels a side), or the back buffer's error.
  int32_t Create(int32_t width, int32_t height, int32_t depth, int32_t flags);
  // A new back buffer of that size, opaque black, in place of the old one; 0 or the error of its creation.
  int32_t CreateBackBuffer(int32_t width, int32_t height);
  void SetScreenRect(const Bounds& rect) { screen_ = rect; }
  // Frees the back buffers, the swatches, the layers and the fonts; the view is no longer set up.
  void Reset();

  // A new layer on top of all others.
  LayerRef AddLayer(const Bounds& rect, int32_t mode);
  // The same over the back buffer for mode 1, over {0, 0, 32767, 32767} otherwise.
  LayerRef AddDefaultLayer(int32_t mode);
  // Destroys and deletes a layer and takes it off the list; a view that held it current, saved on the layer
  // stack or as its snapshot layer forgets it.
  void RemoveLayer(const LayerRef& layer);
  // The listed layer of that serial number, or none.
  LayerRef FindLayer(uint64_t serial);
  // Whether the layer is listed and its entries of that epoch still stand.
  bool HoldsEntriesOf(const SceneLayer* layer, uint64_t epoch) const;
  const SceneLayerList& Layers() const { return layers_; }

  // The current layer is where sprites, glyphs and other callers place images.
  SceneLayer* GetCurrentLayer() const { return current_; }
  void SetCurrentLayer(SceneLayer* layer) { current_ = layer; }
  // Saves the current layer on the layer stack; none is current after it.
  void PushLayer();
  // The last saved layer becomes current again (nothing when none is saved).
  void PopLayer();
  void SetCurrentLayerImage(Bitmap* image);

  Bitmap* GetBackBuffer() const { return backBuffer_.get(); }
  Bitmap* GetSwatch(int32_t index) const { return index == 0 ? swatch1_.get() : index == 1 ? swatch2_.get() : nullptr; }
  // Moves the scroll origin to (x, y), each at least 0; the back buffer follows at the next update.
  void SetCamera(int32_t x, int32_t y);
  // Composes what changed into the back buffer; the region receives the part of the back buffer that changed.
  // Nothing happens before the view is set up, while the update hold is above 0, or while the back buffer's
  // pixels are not locked.
  void Update(Region& region);
  void BeginDraw() {}
  void EndDraw() {}

  // One frame of every layer's moves and fades.
  void AnimateLayers();
  void ClearLayers();
  void HideAllLayers();
  void MarkAllLayersDirty();
  // Zeroes the back buffer's pixels and marks the whole view for redrawing.
  void ClearBackBuffer();

  // The offscreen bracket: the outermost begin composes the current frame into a spare back buffer and shows it
  // on a layer of its own on top, from which updates start, so that the layers beneath can be rebuilt unseen;
  // the outermost end drops it and redraws everything. Every begin saves the update hold and zeroes it; every
  // end gives it back.
  void BeginOffscreen();
  void EndOffscreen();
  int32_t OffscreenDepth() const { return nesting_; }
  const LayerRef& SpareLayer() const { return spare_; }

  // The update hold: while above 0 the view keeps its presentation (Update does nothing). A running script event
  // raises it; redraws that must show save it, zero it and restore it.
  void RaiseUpdateHold() { ++suspend_; }
  void LowerUpdateHold() {
    if (suspend_ > 0) --suspend_;
  }
  int32_t GetUpdateHold() const { return suspend_; }
  void SetUpdateHold(int32_t value) { suspend_ = value; }

  // A font of the face, size, colour and style (bold 1, italic 2), appended; its index, or -1. Its glyphs are
  // rendered when it is first asked for, so that fonts no screen has used yet cost nothing at start-up.
  int32_t AddFont(const std::string& face, int32_t size, DrawColor color, int32_t style);
  BitmapFont* GetFont(int32_t index) const;
  int32_t FontCount() const { return static_cast<int32_t>(fonts_.size()); }
  void SetCurrentFont(int32_t index);
  BitmapFont* GetCurrentFont() const { return GetFont(currentFont_); }
  int32_t GetFontSize() const;

  // Text labels in the current font, one image per glyph on the current layer. Lines end after each carriage
  // return; a character without a glyph takes no room.
  // The box of the text placed at (x, y): the widest line, and the lines' heights added (each its tallest glyph;
  // when that comes to 0 for more than one line, the height of the letter "l").
  void MeasureText(int32_t x, int32_t y, const std::string& text, Bounds* out) const;
  // Places the text from (*x, *y); lines after the first begin at lineStart (-1: at *x again). Each line moves
  // down by its own height (an empty one by that of "l"). Leaves the pen after the last glyph, on the last line.
  void AddTextLabelAt(int32_t* x, int32_t* y, const std::string& text, int32_t lineStart);
  void AddTextLabel(int32_t x, int32_t y, const std::string& text);
  // Centres the text's box in the rectangle (starting left or above it when the text is larger).
  void AddTextLabelCentred(const Bounds& rect, const std::string& text);
  // Word by word from the box's top-left: a word that would pass the right edge goes to the next line (wrap) or
  // loses characters from its end until it fits; a word at the left edge is never moved or cut.
  void AddTextLabelWrapped(const Bounds& box, const std::string& text, bool wrap);

  // What the layers share.
  Region& UpdateRegion() { return update_; }
  const Bounds& VisibleRect() const { return visible_; }
  const Bounds& ScreenRect() const { return screen_; }
  int32_t ScrollX() const { return visible_.x; }
  int32_t ScrollY() const { return visible_.y; }

  // The redraw flag: something changed since the last update.
  void SetRedrawFlag() { redraw_ = true; }
  bool NeedsRedraw() const { return redraw_; }
  int32_t Flags() const { return flags_; }
  bool IsSetUp() const { return setUp_; }

 private:
  struct LineSize {
    size_t end;  // one past the line's last character (its carriage return included)
    int32_t width;
    int32_t height;
  };
  std::vector<LineSize> MeasureLines(const std::string& text) const;
  int32_t GlyphHeight(uint8_t code) const;
  void RedrawAllNextTime();

  std::unique_ptr<Bitmap> swatch1_;
  std::unique_ptr<Bitmap> swatch2_;
  int32_t pendingDx_ = 0;
  int32_t pendingDy_ = 0;
  int32_t flags_ = 0;
  int32_t backBufferFormat_ = 0;
  std::unique_ptr<Bitmap> backBuffer_;
  bool setUp_ = false;
  SceneLayerList layers_;
  SceneLayer* current_ = nullptr;
  std::vector<SceneLayer*> layerStack_;
  struct FontEntry {
    std::unique_ptr<BitmapFont> font;
    std::string face;
    bool built = false;
  };
  mutable std::vector<FontEntry> fonts_;  // built on first use, from a const getter too
  int32_t currentFont_ = -1;  // an index into fonts_
  bool redraw_ = true;
  Region update_;
  Region output_;
  Bounds visible_;
  Bounds screen_;
  LayerRef spare_;
  std::unique_ptr<Bitmap> spareBackBuffer_;
  int32_t suspend_ = 0;
  int32_t nesting_ = 0;
  std::vector<int32_t> suspendStack_;
};

// The game view: the most recently constructed view that still exists, or null.
SceneView* GetSceneView();
// Gives the shell's view to the shell's keeping (null deletes the one it kept).
void SetSceneView(std::unique_ptr<SceneView> view);
