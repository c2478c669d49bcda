// The layout table and its reader.
#include "game/dialogs/screen_layouts.h"

#include <array>

#include "game/dialogs/status_panel.h"
#include "game/graphics/bitmap.h"
#include "game/shell/data/data_stream.h"

namespace {

std::array<std::unique_ptr<Layout>, kLayoutSlotCount>& Slots() {
  static std::array<std::unique_ptr<Layout>, kLayoutSlotCount> slots;
  return slots;
}

}  // namespace

Layout::Layout(int32_t index) : index_(index) {}

Layout::~Layout() { DestroyLayers(); }

void Layout::ShowLayers() {
  for (ViewLayer* handle : {&panelLayer_, &textLayer_}) {
    if (SceneLayer* layer = handle->Get()) {
      layer->SetVisible(true);
      layer->InvalidateAll();
    }
  }
}

void Layout::DestroyLayers() {
  panelLayer_.Destroy();
  textLayer_.Destroy();
  statusTexts_.clear();
  // Only once no layer shows it.
  shownPortrait_.reset();
}

const LayoutElement* Layout::GetElement(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= elements_.size()) return nullptr;
  return elements_[index].get();
}

void Layout::Read(DataStream& stream) {
  stream.ReadInt16();
  stream.ReadPString(name_);
  int16_t count = stream.ReadInt16();
  elements_.clear();
  // Reading stops at a stream error: past the end every count would still be read in full, as empty elements,
  // so that a damaged count could make up to 32767 of them in each of the 34 layouts for a file that has ended.
  for (int16_t i = 0; i < count && stream.GetError() == 0; ++i) {
    auto element = std::make_unique<LayoutElement>();
    stream.ReadPStringScrambled(element->name, false);
    element->y = stream.ReadInt16();
    element->x = stream.ReadInt16();
    element->width = stream.ReadInt16();
    element->height = stream.ReadInt16();
    elements_.push_back(std::move(element));
  }
}

void ReadLayouts(DataStream& stream) {
  FreeLayouts();
  int16_t count = stream.ReadInt16();
  // A table with fewer than 34 records still fills the 34 slots: the missing ones read as empty layouts.
  for (int32_t i = 0; i < kLayoutsKept; ++i) {
    auto layout = std::make_unique<Layout>(i);
    layout->Read(stream);
    Slots()[i] = std::move(layout);
  }
  // The records past the 34th are dropped; once the stream has ended there is nothing left to skip, and a damaged
  // count would otherwise read some 32000 empty records of up to 32767 elements each: a stall of about a billion
  // reads of nothing.
  for (int32_t i = kLayoutsKept; i < count && stream.GetError() == 0; ++i) {
    Layout scratch(i);
    scratch.Read(stream);
  }
}

Layout* GetLayout(int32_t index) {
  if (index < 0 || index >= kLayoutSlotCount) return nullptr;
  return Slots()[index].get();
}

void FreeLayouts() {
  for (auto& slot : Slots()) slot.reset();
  FreeStatusPanelPicture();
}

void ClearLayoutTable() { FreeLayouts(); }
