// The picture cache: every picture the game loads by name, kept in named pools so that a picture named twice is
// decoded once.
//
// Exactly one pool is current; lookups, loads, marks and purges act on it (one purge acts on every pool but those
// registered with id 2, the start-up pool). Names are lower-cased (A to Z only) before they are used as keys.
// The cycle of a pool's user: clear the in-use marks, load or find every picture still needed (which marks it),
// then purge what is not marked.
//
// Holding: an animation set, a picture reference or a drawing in progress holds the pictures it keeps pointers
// to (PictureHold). A held picture is never freed: a purge passes over it whatever its mark, and a pool deleted
// while one of its pictures is held gives that picture up to the cache, which frees it at the last release.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "game/graphics/bitmap.h"

class PicturePool {
 public:
  struct Entry {
    std::unique_ptr<Bitmap> picture;
    uint8_t inUse = 0;
  };

  const std::map<std::string, Entry>& Entries() const { return entries_; }

 private:
  friend class PictureCache;
  std::map<std::string, Entry> entries_;  // ordered by plain byte comparison of the lower-cased names
};

// Makes a new picture for a (lower-cased) name, or gives null and a status: kBitmapNoMemory when the picture
// was found but its memory could not be had; anything else when there is no such picture.
using PictureLoader = std::function<std::unique_ptr<Bitmap>(const char* name, BitmapStatus* status)>;

class PictureCache {
 public:
  // Pool id whose pools a purge of all pools leaves alone.
  static constexpr int32_t kStartupPoolId = 2;

  // Null selects the default loader, which reads picture files from the disk by name.
  static void SetLoader(PictureLoader loader);

  // A new empty pool registered under the id; it is not made current.
  static PicturePool* NewPool(int32_t id);
  // Frees the pool and its pictures (held ones survive until released). An unregistered pool is left alone. A
  // pool deleted while current leaves no pool current (loads then give null) and a pool on the stack is popped
  // as no change.
  static void DeletePool(PicturePool* pool);
  // Makes a registered pool current; an unregistered one leaves the current pool as it is.
  static void SelectPool(PicturePool* pool);
  static PicturePool* CurrentPool();
  static void PushPool();
  // Makes the last pushed pool current; an empty stack changes nothing.
  static void PopPool();

  // The picture of that name from the current pool, else from the loader (inserted, marked in use); locked.
  // A load that failed purges the unused pictures of all pools (id 2 apart) and tries once more; null when that
  // fails too.
  static Bitmap* Load(const char* name);
  // The cached picture of that name in the current pool (marked in use, not locked); null when it is not cached.
  // Never loads.
  static Bitmap* Find(const char* name);
  static void ClearMarks();
  // Frees the pictures whose mark is 0 and which nobody holds: of the current pool, of one pool, or of every pool
  // whose id is not 2.
  static void PurgeUnused();
  static void PurgeUnused(PicturePool* pool);
  static void PurgeAllPools();
  static void UnlockAll();

  // Holding (see above). Pictures the cache does not own may be held too; that only counts.
  static void Hold(const Bitmap* picture);
  static void Release(const Bitmap* picture);
  static int32_t HoldCount(const Bitmap* picture);

  // Frees every pool, every picture given up by a deleted pool, the stack and the loader: the cache as at start.
  static void Shutdown();

  // The lower-cased key of a name.
  static std::string KeyOf(const char* name);
};

// A hold on a picture for as long as this object lives (null holds nothing).
class PictureHold {
 public:
  PictureHold() = default;
  explicit PictureHold(Bitmap* picture) : picture_(picture) { PictureCache::Hold(picture_); }
  ~PictureHold() { PictureCache::Release(picture_); }
  PictureHold(const PictureHold&) = delete;
  PictureHold& operator=(const PictureHold&) = delete;
  PictureHold(PictureHold&& other) noexcept : picture_(other.picture_) { other.picture_ = nullptr; }
  PictureHold& operator=(PictureHold&& other) noexcept {
    if (this != &other) {
      PictureCache::Release(picture_);
      picture_ = other.picture_;
      other.picture_ = nullptr;
    }
    return *this;
  }

  Bitmap* Get() const { return picture_; }

 private:
  Bitmap* picture_ = nullptr;
};
