// The object table behind GDI handles, and the calls that work on any object: selection, deletion, type and
// description.
#include <cstring>

#include "gdi_internal.h"

namespace host::gdi {
namespace {

struct Slot {
  std::unique_ptr<Object> object;
  uint32_t generation = 1;
};

struct Table {
  std::recursive_mutex mutex;
  std::vector<Slot> slots;
  std::vector<uint32_t> freeSlots;
};

Table& Objects() {
  static Table table;
  return table;
}

// A handle is the slot number plus one in the low 32 bits and the slot's generation above, so it is never null
// and a handle of a deleted object no longer matches its slot.
void* MakeHandle(uint32_t index, uint32_t generation) {
  return reinterpret_cast<void*>((static_cast<uintptr_t>(generation) << 32) | (uintptr_t{index} + 1));
}

Slot* SlotOf(const void* handle) {
  const auto value = reinterpret_cast<uintptr_t>(handle);
  const uint64_t low = value & 0xFFFFFFFFu;
  if (low == 0) return nullptr;
  Table& table = Objects();
  if (low > table.slots.size()) return nullptr;
  Slot& slot = table.slots[low - 1];
  if (slot.object == nullptr || slot.generation != static_cast<uint32_t>(value >> 32)) return nullptr;
  return &slot;
}

}  // namespace

std::unique_lock<std::recursive_mutex> LockObjects() { return std::unique_lock(Objects().mutex); }

void* AddObject(std::unique_ptr<Object> object) {
  auto lock = LockObjects();
  Table& table = Objects();
  uint32_t index;
  if (!table.freeSlots.empty()) {
    index = table.freeSlots.back();
    table.freeSlots.pop_back();
  } else {
    index = static_cast<uint32_t>(table.slots.size());
    table.slots.emplace_back();
  }
  Slot& slot = table.slots[index];
  void* handle = MakeHandle(index, slot.generation);
  object->handle = handle;
  slot.object = std::move(object);
  return handle;
}

Object* FindObject(const void* handle) {
  auto lock = LockObjects();
  Slot* slot = SlotOf(handle);
  return slot ? slot->object.get() : nullptr;
}

std::unique_ptr<Object> RemoveObject(const void* handle) {
  auto lock = LockObjects();
  Slot* slot = SlotOf(handle);
  if (slot == nullptr) return nullptr;
  std::unique_ptr<Object> object = std::move(slot->object);
  slot->generation = slot->generation == 0xFFFFFFFFu ? 1 : slot->generation + 1;
  Objects().freeSlots.push_back(static_cast<uint32_t>(slot - Objects().slots.data()));
  return object;
}

int CountLiveObjects() {
  auto lock = LockObjects();
  int count = 0;
  for (const Slot& slot : Objects().slots) count += slot.object != nullptr && !slot.object->stock ? 1 : 0;
  return count;
}

Bitmap* StockBitmap() { return Find<Bitmap>(StockBitmapHandle()); }

void* StockBitmapHandle() {
  auto lock = LockObjects();
  static void* handle = [] {
    auto bitmap = NewBitmap(1, 1, MonochromeLayout(), nullptr, 0, false, false);
    bitmap->stock = true;
    return AddObject(std::move(bitmap));
  }();
  return handle;
}

}  // namespace host::gdi

using namespace host::gdi;

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ handle) {
  auto lock = LockObjects();
  DeviceContext* dc = Find<DeviceContext>(hdc);
  Object* object = FindObject(handle);
  if (dc == nullptr || object == nullptr) return nullptr;
  if (object->kind == ObjectKind::kBitmap) {
    auto* bitmap = static_cast<Bitmap*>(object);
    if (dc->kind != ObjectKind::kMemoryDC) return nullptr;
    if (bitmap->selectedInto != nullptr && bitmap->selectedInto != dc) return nullptr;  // one DC at a time
    Bitmap* previous = dc->bitmap;
    if (previous != nullptr) previous->selectedInto = nullptr;
    if (!bitmap->stock) bitmap->selectedInto = dc;
    dc->bitmap = bitmap;
    return previous != nullptr ? previous->handle : StockBitmapHandle();
  }
  void* DrawingState::*slot = nullptr;
  switch (object->kind) {
    case ObjectKind::kPen: slot = &DrawingState::pen; break;
    case ObjectKind::kBrush: slot = &DrawingState::brush; break;
    case ObjectKind::kFont: slot = &DrawingState::font; break;
    default: break;
  }
  if (slot != nullptr) {
    // The previous object of the kind, or the stock default when the selected one has been deleted.
    Object* previous = object->kind == ObjectKind::kPen     ? static_cast<Object*>(dc->CurrentPen())
                       : object->kind == ObjectKind::kBrush ? static_cast<Object*>(dc->CurrentBrush())
                                                            : static_cast<Object*>(dc->CurrentFont());
    dc->state.*slot = handle;
    return previous->handle;
  }
  if (object->kind == ObjectKind::kRegion) {
    // Selecting a region sets the clip region to a copy of it; the result is the region's type.
    const Region& region = static_cast<RegionObject*>(object)->region;
    dc->state.clip = std::make_shared<const Region>(region);
    return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(region.Type()));
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ handle) {
  auto lock = LockObjects();
  Object* object = FindObject(handle);
  if (object == nullptr) return FALSE;
  if (object->stock) return TRUE;
  switch (object->kind) {
    case ObjectKind::kBitmap:
      // A bitmap still selected into a DC is refused, so no DC is left drawing into freed pixels.
      if (static_cast<Bitmap*>(object)->selectedInto != nullptr) return FALSE;
      break;
    case ObjectKind::kRegion:
    case ObjectKind::kPen:
    case ObjectKind::kBrush:
    case ObjectKind::kFont:
      // A DC that still has the object selected falls back to the stock default (see DeviceContext).
      break;
    default:
      return FALSE;  // device contexts go through DeleteDC
  }
  RemoveObject(handle);
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ handle) {
  auto lock = LockObjects();
  Object* object = FindObject(handle);
  if (object == nullptr) return 0;
  switch (object->kind) {
    case ObjectKind::kBitmap: return OBJ_BITMAP;
    case ObjectKind::kRegion: return OBJ_REGION;
    case ObjectKind::kMemoryDC: return OBJ_MEMDC;
    case ObjectKind::kSurfaceDC: return OBJ_DC;
    case ObjectKind::kPen: return OBJ_PEN;
    case ObjectKind::kBrush: return OBJ_BRUSH;
    case ObjectKind::kFont: return OBJ_FONT;
  }
  return 0;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID out) {
  auto lock = LockObjects();
  Bitmap* bitmap = Find<Bitmap>(handle);
  if (bitmap == nullptr) return 0;
  if (out == nullptr) return sizeof(BITMAP);
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP info{};
  info.bmWidth = bitmap->width;
  info.bmHeight = bitmap->height;
  // Device bitmaps report rows padded to 16 bits, DIB sections their own 32-bit padding.
  info.bmWidthBytes = bitmap->dibSection
                          ? static_cast<LONG>(bitmap->stride)
                          : static_cast<LONG>((int64_t{bitmap->width} * bitmap->layout.bitCount + 15) / 16 * 2);
  info.bmPlanes = 1;
  info.bmBitsPixel = static_cast<WORD>(bitmap->layout.bitCount);
  info.bmBits = bitmap->dibSection ? bitmap->bits : nullptr;
  std::memcpy(out, &info, sizeof info);
  return sizeof(BITMAP);
}
