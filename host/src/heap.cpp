// The process heap: one heap object over the C allocator. A request of 0 bytes still gives a unique block, as
// callers may keep and later free it.
#include <cstdlib>
#include <cstring>

#include "host/kernel.h"

namespace {
int processHeapObject;  // its address is the process heap's handle
}

HANDLE GetProcessHeap() { return &processHeapObject; }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  if (heap == nullptr) return nullptr;
  size_t size = bytes == 0 ? 1 : bytes;
  return (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, size) : std::malloc(size);
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
  if (heap == nullptr) return FALSE;
  std::free(memory);
  return TRUE;
}
