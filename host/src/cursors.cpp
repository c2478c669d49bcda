// Cursors: one shared handle per system cursor, and private copies that their owner destroys.
#include "cursors.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace host {
namespace {

struct Cursor {
  WORD systemId;
  bool shared;
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
HCURSOR Add(CursorTable& table, WORD systemId, bool shared) {
  auto cursor = std::make_unique<Cursor>(Cursor{systemId, shared});
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
  return host::Add(table, found->second->systemId, false);
}

BOOL DestroyCursor(HCURSOR cursor) {
  host::CursorTable& table = host::Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.cursors.find(cursor);
  if (found == table.cursors.end()) return FALSE;
  if (!found->second->shared) table.cursors.erase(found);  // shared cursors stay for every later load
  return TRUE;
}
