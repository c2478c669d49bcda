// Framework memory: pointer blocks on the process heap, handles in master-pointer blocks, and the block helpers.
//
// Master-pointer blocks come from the C allocator and are never freed while the program runs, so a handle (the
// address of its entry) stays valid for as long as it is in use. The list of blocks starts with the block added
// last, so a new block is searched first. A lock keeps the block list consistent when handles are made or
// disposed on more than one thread.
#include "platform/core/memory.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "host/kernel.h"

struct MasterPointerBlock {
  uint32_t entryCount;
  uint32_t reserved[2];  // kept 0
  MasterPointerBlock* next;

  PlatformHandle* Entries() { return reinterpret_cast<PlatformHandle*>(this + 1); }
};

PlatformPurgeHookProc PlatformPurgeHook = nullptr;

namespace {

constexpr uint32_t kGuardWord = 0xDEADBEEF;
constexpr uint32_t kDefaultEntryCount = 256;

static_assert(sizeof(MasterPointerBlock) % alignof(PlatformHandle) == 0, "entries follow the header aligned");

MasterPointerBlock* firstBlock = nullptr;

std::recursive_mutex& BlockListLock() {
  static std::recursive_mutex* lock = new std::recursive_mutex;  // never destroyed: handles live to the end
  return *lock;
}

// Walks every entry of every block; a broken guard word or an entry in use without data is damage.
PlatformError CheckBlocks() {
  PlatformError result = kPlatformNoError;
  for (MasterPointerBlock* block = firstBlock; block != nullptr; block = block->next) {
    PlatformHandle* entries = block->Entries();
    for (uint32_t i = 0; i < block->entryCount; ++i) {
      if (entries[i].guard != kGuardWord || (entries[i].inUse && entries[i].data == nullptr)) {
        result = kPlatformErrSystem;
      }
    }
  }
  return result;
}

PlatformError AddBlock(uint32_t entryCount) {
  if (entryCount == 0) entryCount = kDefaultEntryCount;
  size_t bytes = sizeof(MasterPointerBlock) + size_t{entryCount} * sizeof(PlatformHandle);
  auto* block = static_cast<MasterPointerBlock*>(std::calloc(1, bytes));
  if (block == nullptr) return kPlatformErrNoMemory;
  block->entryCount = entryCount;
  PlatformHandle* entries = block->Entries();
  for (uint32_t i = 0; i < entryCount; ++i) {
    entries[i].guard = kGuardWord;
    entries[i].block = block;
  }
  block->next = firstBlock;
  firstBlock = block;
  return kPlatformNoError;
}

PlatformHandle* FindFreeEntry() {
  for (MasterPointerBlock* block = firstBlock; block != nullptr; block = block->next) {
    PlatformHandle* entries = block->Entries();
    for (uint32_t i = 0; i < block->entryCount; ++i) {
      if (!entries[i].inUse) return &entries[i];
    }
  }
  return nullptr;
}

// Resizes the data of an unlocked handle; the handle is unchanged when memory runs out.
PlatformError Resize(PlatformHandle* handle, uint32_t byteCount) {
  void* data = std::realloc(handle->data, byteCount == 0 ? 1 : byteCount);
  if (data == nullptr) return kPlatformErrNoMemory;
  handle->data = data;
  handle->size = byteCount;
  return kPlatformNoError;
}

bool Overlaps(const PlatformHandle* handle, const void* bytes) {
  if (handle->data == nullptr || bytes == nullptr) return false;
  auto* begin = static_cast<const uint8_t*>(handle->data);
  auto* p = static_cast<const uint8_t*>(bytes);
  return p >= begin && p < begin + (handle->size == 0 ? 1 : handle->size);
}

// Grows the handle by byteCount and copies the bytes behind the old data. The bytes may lie inside the handle's
// own data, which the resize can move, so they are copied aside first in that case.
PlatformError Append(PlatformHandle* handle, const void* bytes, uint32_t byteCount) {
  uint32_t oldSize = handle->size;
  if (byteCount > UINT32_MAX - oldSize) return kPlatformErrNoMemory;  // the size field would wrap
  void* aside = nullptr;
  if (Overlaps(handle, bytes)) {
    aside = std::malloc(byteCount);
    if (aside == nullptr) return kPlatformErrNoMemory;
    std::memcpy(aside, bytes, byteCount);
    bytes = aside;
  }
  PlatformError error = Resize(handle, oldSize + byteCount);
  if (error == kPlatformNoError) std::memcpy(static_cast<uint8_t*>(handle->data) + oldSize, bytes, byteCount);
  std::free(aside);
  return error;
}

}  // namespace

void* PlatformNewPointer(size_t byteCount) { return HeapAlloc(GetProcessHeap(), 0, byteCount); }

void PlatformDisposePointer(void* pointer) {
  if (pointer != nullptr) HeapFree(GetProcessHeap(), 0, pointer);
}

void PlatformClearBlock(void* pointer, size_t byteCount) {
  if (byteCount != 0) std::memset(pointer, 0, byteCount);
}

void PlatformFillBlock(void* pointer, uint8_t value, size_t byteCount) {
  if (byteCount != 0) std::memset(pointer, value, byteCount);
}

void PlatformMoveBlock(void* destination, const void* source, size_t byteCount) {
  if (byteCount != 0) std::memmove(destination, source, byteCount);
}

void PlatformMoveBytes(void* destination, const void* source, size_t byteCount) {
  PlatformMoveBlock(destination, source, byteCount);
}

uint32_t PlatformBlockCRC32(const void* pointer, size_t byteCount) {
  uLong crc = crc32(0, nullptr, 0);
  auto* bytes = static_cast<const Bytef*>(pointer);
  while (byteCount != 0) {  // zlib takes at most 4 GiB per call
    uInt chunk = byteCount > 0x40000000 ? 0x40000000u : static_cast<uInt>(byteCount);
    crc = crc32(crc, bytes, chunk);
    bytes += chunk;
    byteCount -= chunk;
  }
  return static_cast<uint32_t>(crc);
}

PlatformHandle* PlatformHandle::New(uint32_t byteCount) {
  std::lock_guard<std::recursive_mutex> hold(BlockListLock());
  if (CheckBlocks() != kPlatformNoError) return nullptr;
  PlatformHandle* entry = FindFreeEntry();
  if (entry == nullptr) {
    if (AddBlock(0) != kPlatformNoError) return nullptr;
    entry = firstBlock->Entries();
  }
  void* data = std::malloc(byteCount == 0 ? 1 : byteCount);
  if (data == nullptr) return nullptr;
  entry->data = data;
  entry->size = byteCount;
  entry->locked = 0;
  entry->inUse = 1;
  return entry;
}

PlatformHandle* PlatformHandle::NewTemporary(uint32_t byteCount) { return New(byteCount); }

PlatformHandle* PlatformHandle::FromBytes(const void* bytes, uint32_t byteCount) {
  PlatformHandle* handle = New(byteCount);
  if (handle != nullptr && byteCount != 0) std::memcpy(handle->data, bytes, byteCount);
  return handle;
}

PlatformHandle* PlatformHandle::Duplicate(PlatformHandle* handle) {
  if (handle == nullptr) return nullptr;
  return FromBytes(handle->data, handle->size);
}

PlatformError PlatformHandle::Dispose(PlatformHandle* handle) {
  if (handle == nullptr) return kPlatformErrBadData;
  if (PlatformPurgeHook != nullptr && PlatformPurgeHook(handle)) return kPlatformErrBadData;
  std::lock_guard<std::recursive_mutex> hold(BlockListLock());
  PlatformError error = CheckBlocks();
  if (error != kPlatformNoError) return error;
  // Disposed already: its data was freed, and freeing it again would corrupt the heap.
  if (!handle->inUse) return kPlatformErrBadData;
  std::free(handle->data);
  handle->data = nullptr;
  handle->size = 0;
  handle->locked = 0;
  handle->inUse = 0;
  return kPlatformNoError;
}

uint32_t PlatformHandle::GetSize(PlatformHandle* handle) { return handle == nullptr ? 0 : handle->size; }

PlatformError PlatformHandle::SetSize(PlatformHandle* handle, uint32_t byteCount) {
  if (handle == nullptr || handle->locked) return kPlatformErrBadData;
  return Resize(handle, byteCount);
}

uint8_t PlatformHandle::IsLocked(PlatformHandle* handle) { return handle == nullptr ? 0 : handle->locked; }

uint8_t PlatformHandle::SetLocked(PlatformHandle* handle, uint8_t flag) {
  if (handle == nullptr) return 0;
  uint8_t previous = handle->locked;
  handle->locked = flag != 0 ? 1 : 0;
  return previous;
}

PlatformError PlatformHandle::AppendHandle(PlatformHandle* handle, PlatformHandle* other) {
  if (handle == nullptr || other == nullptr || handle->locked) return kPlatformErrBadData;
  if (other->size == 0) return kPlatformNoError;
  return Append(handle, other->data, other->size);
}

PlatformError PlatformHandle::AppendBytes(PlatformHandle* handle, const void* bytes, uint32_t byteCount) {
  if (handle == nullptr || handle->locked) return kPlatformErrBadData;
  if (byteCount == 0) return kPlatformNoError;
  return Append(handle, bytes, byteCount);
}

PlatformError PlatformHandle::SetBytes(PlatformHandle* handle, const void* bytes, uint32_t byteCount) {
  if (handle == nullptr || handle->locked) return kPlatformErrBadData;
  if (byteCount != 0 && Overlaps(handle, bytes)) {
    // A part of the handle's own data: move it to the front before shrinking.
    std::memmove(handle->data, bytes, byteCount);
    bytes = nullptr;
  }
  PlatformError error = Resize(handle, byteCount);
  if (error == kPlatformNoError && bytes != nullptr && byteCount != 0) std::memcpy(handle->data, bytes, byteCount);
  return error;
}

PlatformError PlatformHandle::AddMasterBlock(uint32_t entryCount) {
  std::lock_guard<std::recursive_mutex> hold(BlockListLock());
  return AddBlock(entryCount);
}

PlatformError PlatformHandle::CheckHeap(PlatformHandle* handle) {
  std::lock_guard<std::recursive_mutex> hold(BlockListLock());
  return CheckBlocks();
}
