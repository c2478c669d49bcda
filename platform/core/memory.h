// Framework memory: pointer blocks from the process heap, relocatable blocks owned through handles, and the
// block helpers (clear, fill, move, CRC-32).
//
// A handle is the address of a master-pointer entry whose first member is the address of the handle's data, so
// dereferencing the handle once gives the data. Entries live in master-pointer blocks that are never freed while
// the program runs; an entry's address (the handle) never changes while it is in use, whatever happens to its
// data. Only a resize of an unlocked handle moves the data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/core/platform_error.h"

struct MasterPointerBlock;

struct PlatformHandle {
  void* data;                  // the handle's data; null while the entry is free
  uint32_t guard;              // 0xDEADBEEF, set when the block is made and never changed
  uint32_t size;               // the size the owner asked for (the data has at least 1 byte)
  uint8_t locked;              // 1 while the data must not move
  uint8_t inUse;               // 1 while the entry belongs to a handle
  uint8_t spare[2];
  MasterPointerBlock* block;   // the master-pointer block holding this entry

  static PlatformHandle* New(uint32_t byteCount);
  static PlatformHandle* NewTemporary(uint32_t byteCount);
  static PlatformHandle* Duplicate(PlatformHandle* handle);
  static PlatformHandle* FromBytes(const void* bytes, uint32_t byteCount);
  static PlatformError Dispose(PlatformHandle* handle);
  static uint32_t GetSize(PlatformHandle* handle);
  static PlatformError SetSize(PlatformHandle* handle, uint32_t byteCount);
  static uint8_t IsLocked(PlatformHandle* handle);
  static uint8_t SetLocked(PlatformHandle* handle, uint8_t flag);  // returns the previous flag
  static PlatformError AppendHandle(PlatformHandle* handle, PlatformHandle* other);
  static PlatformError AppendBytes(PlatformHandle* handle, const void* bytes, uint32_t byteCount);
  static PlatformError SetBytes(PlatformHandle* handle, const void* bytes, uint32_t byteCount);
  static PlatformError AddMasterBlock(uint32_t entryCount);  // 0 asks for 256
  static PlatformError CheckHeap(PlatformHandle* handle);
};

// Answers true for a handle that must not be disposed (the file manager installs one that protects the handles
// of open memory streams). Null by default.
using PlatformPurgeHookProc = bool (*)(PlatformHandle* handle);
extern PlatformPurgeHookProc PlatformPurgeHook;

void* PlatformNewPointer(size_t byteCount);
void PlatformDisposePointer(void* pointer);
void PlatformClearBlock(void* pointer, size_t byteCount);
void PlatformFillBlock(void* pointer, uint8_t value, size_t byteCount);
void PlatformMoveBlock(void* destination, const void* source, size_t byteCount);
void PlatformMoveBytes(void* destination, const void* source, size_t byteCount);
uint32_t PlatformBlockCRC32(const void* pointer, size_t byteCount);
