// Cursors: one shared handle per system cursor, and private copies that their owner destroys.
#include "cursors.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace host {
namespace {

struct Cursor {
  WORD systemId;  // 0 for a cursor made by CreateCursor
  bool shared;
  CursorImage image;
};

struct CursorTable {
  std::mutex lock;
  std::unordered_map<HCURSOR, std::unique_ptr<Cursor>> cursors;
  std::unordered_map<WORD, HCURSOR> shared;  // the system cursors loaded so far
};

CursorTable& Table() {
  static CursorTable* table = new CursorTable;
  return *table;
}

bool IsSystemCursor(uintptr_t id) {
  switch (id) {
    case 32512:  // arrow
    case 32513:  // text beam
    case 32514:  // wait
    case 32515:  // cross
    case 32649:  // hand
    case 32650:  // arrow with a small hourglass, while the program starts
      return true;
    default:
      return false;
  }
}

// Adds a cursor to the table; the lock must be held.
HCURSOR Add(CursorTable& table, WORD systemId, bool shared, CursorImage image = CursorImage{}) {
  auto cursor = std::make_unique<Cursor>(Cursor{systemId, shared, std::move(image)});
  auto handle = reinterpret_cast<HCURSOR>(cursor.get());
  table.cursors.emplace(handle, std::move(cursor));
  return handle;
}

}  // namespace

WORD SystemCursorOf(HCURSOR cursor) {
  CursorTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.cursors.find(cursor);
  return found == table.cursors.end() ? 0 : found->second->systemId;
}

bool CustomCursorImage(HCURSOR cursor, CursorImage* out) {
  CursorTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.cursors.find(cursor);
  if (found == table.cursors.end() || found->second->systemId != 0) return false;
  *out = found->second->image;
  return true;
}

}  // namespace host

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || !IS_INTRESOURCE(name) || !host::IsSystemCursor(reinterpret_cast<uintptr_t>(name))) {
    return nullptr;  // the program has no cursor resources of its own here
  }
  auto id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
  host::CursorTable& table = host::Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.shared.find(id);
  if (found != table.shared.end()) return found->second;
  HCURSOR handle = host::Add(table, id, true);
  table.shared.emplace(id, handle);
  return handle;
}

HICON CopyIcon(HICON icon) {
  host::CursorTable& table = host::Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.cursors.find(icon);
  if (found == table.cursors.end()) return nullptr;
  return host::Add(table, found->second->systemId, false, found->second->image);
}

HCURSOR CreateCursor(HINSTANCE, int hotX, int hotY, int width, int height, const void* andPlane,
                     const void* xorPlane) {
  constexpr int kLargest = 256;
  if (width <= 0 || height <= 0 || width > kLargest || height > kLargest || width % 8 != 0 || andPlane == nullptr ||
      xorPlane == nullptr) {
    return nullptr;
  }
  host::CursorImage image;
  image.width = width;
  image.height = height;
  image.hotX = std::clamp(hotX, 0, width - 1);
  image.hotY = std::clamp(hotY, 0, height - 1);
  image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  const auto* andBits = static_cast<const uint8_t*>(andPlane);
  const auto* xorBits = static_cast<const uint8_t*>(xorPlane);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t bit = static_cast<size_t>(y) * static_cast<size_t>(width / 8) + static_cast<size_t>(x / 8);
      const int shift = 7 - x % 8;
      const int a = (andBits[bit] >> shift) & 1, b = (xorBits[bit] >> shift) & 1;
      // AND 1 XOR 0 leaves the screen; 0 0 black; 0 1 white; 1 1 inverts.
      image.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
          static_cast<uint8_t>(a == 1 ? (b == 1 ? 3 : 0) : (b == 1 ? 2 : 1));
    }
  }
  host::CursorTable& table = host::Table();
  std::lock_guard<std::mutex> hold(table.lock);
  return host::Add(table, 0, false, std::move(image));
}

BOOL DestroyCursor(HCURSOR cursor) {
  host::CursorTable& table = host::Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.cursors.find(cursor);
  if (found == table.cursors.end()) return FALSE;
  if (!found->second->shared) table.cursors.erase(found);  // shared cursors stay for every later load
  return TRUE;
}
