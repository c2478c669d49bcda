// The picture cache's single global state: the pool registry, the current pool, the pool stack, the loader and
// the holds.
#include "game/graphics/picture_cache.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct HoldRecord {
  int32_t count = 0;
  std::unique_ptr<Bitmap> orphan;  // a held picture whose pool was deleted
};

struct CacheState {
  std::multimap<int32_t, std::unique_ptr<PicturePool>> registry;  // equal ids keep their registration order
  PicturePool* current = nullptr;
  std::vector<PicturePool*> stack;  // null entries stand for pools deleted while on the stack
  PictureLoader loader;
  std::unordered_map<const Bitmap*, HoldRecord> holds;
};

CacheState& State() {
  static CacheState state;
  return state;
}

std::unique_ptr<Bitmap> LoadFromDisk(const char* name, BitmapStatus* status) {
  auto picture = std::make_unique<Bitmap>();
  const BitmapStatus result = picture->LoadByName(name);
  if (status != nullptr) *status = result;
  if (result != kBitmapReady) return nullptr;
  return picture;
}

bool IsRegistered(const PicturePool* pool) {
  if (pool == nullptr) return false;
  for (const auto& [id, registered] : State().registry) {
    if (registered.get() == pool) return true;
  }
  return false;
}

bool IsHeld(const Bitmap* picture) {
  const auto found = State().holds.find(picture);
  return found != State().holds.end() && found->second.count > 0;
}

// Asks the loader for a picture; null when it gives none.
std::unique_ptr<Bitmap> CallLoader(const std::string& key) {
  BitmapStatus status = kBitmapNothingToImport;
  return State().loader ? State().loader(key.c_str(), &status) : LoadFromDisk(key.c_str(), &status);
}

}  // namespace

std::string PictureCache::KeyOf(const char* name) {
  std::string key = name != nullptr ? name : "";
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

void PictureCache::SetLoader(PictureLoader loader) { State().loader = std::move(loader); }

PicturePool* PictureCache::NewPool(int32_t id) {
  auto pool = std::make_unique<PicturePool>();
  PicturePool* created = pool.get();
  State().registry.emplace(id, std::move(pool));
  return created;
}

void PictureCache::DeletePool(PicturePool* pool) {
  CacheState& state = State();
  auto found = std::find_if(state.registry.begin(), state.registry.end(),
                            [pool](const auto& item) { return item.second.get() == pool; });
  if (pool == nullptr || found == state.registry.end()) return;
  for (auto& [name, entry] : pool->entries_) {
    auto hold = state.holds.find(entry.picture.get());
    if (hold != state.holds.end() && hold->second.count > 0) hold->second.orphan = std::move(entry.picture);
  }
  if (state.current == pool) state.current = nullptr;
  std::replace(state.stack.begin(), state.stack.end(), pool, static_cast<PicturePool*>(nullptr));
  state.registry.erase(found);
}

void PictureCache::SelectPool(PicturePool* pool) {
  if (IsRegistered(pool)) State().current = pool;
}

PicturePool* PictureCache::CurrentPool() { return State().current; }

void PictureCache::PushPool() { State().stack.push_back(State().current); }

void PictureCache::PopPool() {
  CacheState& state = State();
  if (state.stack.empty()) return;
  PicturePool* pool = state.stack.back();
  state.stack.pop_back();
  if (pool != nullptr) state.current = pool;
}

Bitmap* PictureCache::Load(const char* name) {
  CacheState& state = State();
  if (state.current == nullptr || name == nullptr) return nullptr;
  const std::string key = KeyOf(name);
  auto& entries = state.current->entries_;
  auto found = entries.find(key);
  if (found != entries.end()) {
    found->second.inUse = 1;
    if (found->second.picture != nullptr) found->second.picture->Lock();
    return found->second.picture.get();
  }

  std::unique_ptr<Bitmap> picture = CallLoader(key);
  if (picture == nullptr) {
    // A failed load makes room (the held pictures stay) and is tried once more.
    PurgeAllPools();
    picture = CallLoader(key);
  }
  if (picture == nullptr || state.current == nullptr) return nullptr;
  picture->Lock();
  // Cached pictures are shared and drawn many times as they are: keyed ones draw through a run table.
  picture->KeepRunTable();
  Bitmap* result = picture.get();
  state.current->entries_[key] = PicturePool::Entry{std::move(picture), 1};
  return result;
}

Bitmap* PictureCache::Find(const char* name) {
  CacheState& state = State();
  if (state.current == nullptr || name == nullptr) return nullptr;
  auto found = state.current->entries_.find(KeyOf(name));
  if (found == state.current->entries_.end()) return nullptr;
  found->second.inUse = 1;
  return found->second.picture.get();
}

void PictureCache::ClearMarks() {
  if (State().current == nullptr) return;
  for (auto& [name, entry] : State().current->entries_) entry.inUse = 0;
}

void PictureCache::PurgeUnused() { PurgeUnused(State().current); }

void PictureCache::PurgeUnused(PicturePool* pool) {
  if (pool == nullptr) return;
  for (auto it = pool->entries_.begin(); it != pool->entries_.end();) {
    if (it->second.inUse != 0 || IsHeld(it->second.picture.get())) {
      ++it;
    } else {
      it = pool->entries_.erase(it);
    }
  }
}

void PictureCache::PurgeAllPools() {
  for (auto& [id, pool] : State().registry) {
    if (id != kStartupPoolId) PurgeUnused(pool.get());
  }
}

void PictureCache::UnlockAll() {
  if (State().current == nullptr) return;
  for (auto& [name, entry] : State().current->entries_) {
    if (entry.picture != nullptr) entry.picture->Unlock();
  }
}

void PictureCache::Hold(const Bitmap* picture) {
  if (picture != nullptr) ++State().holds[picture].count;
}

void PictureCache::Release(const Bitmap* picture) {
  if (picture == nullptr) return;
  auto found = State().holds.find(picture);
  if (found == State().holds.end()) return;
  if (--found->second.count <= 0) State().holds.erase(found);  // frees an orphan with its record
}

int32_t PictureCache::HoldCount(const Bitmap* picture) {
  const auto found = State().holds.find(picture);
  return found == State().holds.end() ? 0 : found->second.count;
}

void PictureCache::Shutdown() {
  CacheState& state = State();
  state.current = nullptr;
  state.stack.clear();
  state.loader = nullptr;
  state.registry.clear();
  for (auto& [picture, record] : state.holds) record.orphan.reset();
  state.holds.clear();
}
