// Movable global memory blocks: the host's allocator behind the game's MemHandle blocks.
//
// A block is named by an HGLOBAL. A movable block (GMEM_MOVEABLE) keeps its handle while its bytes may move;
// GlobalLock pins the bytes and gives their address, GlobalUnlock releases one lock. A fixed block (GMEM_FIXED)
// is its own address: the handle is the pointer to the bytes. Every call fails cleanly (null, 0 or FALSE) on a
// handle this layer did not hand out.
#pragma once

#include "host/types.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// Resizes a block. A locked movable block, or a fixed one, may move only when uFlags holds GMEM_MOVEABLE;
// otherwise the call fails unless the block shrinks. New bytes are zero with GMEM_ZEROINIT. Null on failure,
// when the old block stays as it was.
HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
LPVOID GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);  // nonzero while the block stays locked
SIZE_T GlobalSize(HGLOBAL hMem);  // 0 for an unknown handle
HGLOBAL GlobalFree(HGLOBAL hMem);  // null on success, the handle itself on failure
