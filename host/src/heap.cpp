// The process heap: one heap object over the C allocator. A request of 0 bytes still gives a unique block, as
// callers may keep and later free it.
//
// The C heap is also made ready before the program starts. Big blocks (frame buffers, pictures, the fonts' ink)
// come from the heap itself rather than from mappings of their own, so that a block freed is used again instead of
// being given back and faulted in anew; and the heap's first stretch is mapped in one call, in large pages where
// the system has them. Where the machine is virtual, the first touch of every small page traps, in the guest and
// again in its host, and the screens before the title write some ten megabytes: touched a page at a time, that
// took longer than everything else the program does before its first frame.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/kernel.h"

namespace {

int processHeapObject;  // its address is the process heap's handle

#if defined(__GLIBC__)
constexpr int kLargestHeapBlock = 32 << 20;  // blocks up to this size come from the heap (the C library's limit)
constexpr int kKeptFreeTop = 64 << 20;       // free memory at the heap's top is kept up to this size
constexpr size_t kFirstStretch = 18 << 20;   // what the first screens need (16 MB in large pages), mapped at once
constexpr uintptr_t kLargePage = 2 << 20;    // the size of a large page, where the system has them
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

__attribute__((constructor)) void PrepareHeap() {
  mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
  mallopt(M_TRIM_THRESHOLD, kKeptFreeTop);
  // The heap grows by one block of the stretch's size, which is freed at once and stays as the heap's free top.
  // (An allocator that does not grow the heap this way, as the sanitizers' does, leaves the break where it was,
  // and nothing is mapped.)
  auto* before = static_cast<char*>(sbrk(0));
  void* volatile block = std::malloc(kFirstStretch);  // volatile: the compiler may not drop the pair of calls
  auto* after = static_cast<char*>(sbrk(0));
  std::free(block);
  if (block == nullptr || before == reinterpret_cast<char*>(-1) || after <= before) return;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(before) + page - 1) & ~(page - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(after) & ~(page - 1);
  if (end <= start) return;
  // The whole large pages inside the stretch are asked for as such (refused where there are none, and then the
  // small pages serve); the stretch is then mapped, which a kernel without that advice also refuses, leaving the
  // pages to be faulted in as they are first written.
  const uintptr_t largeStart = (start + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t largeEnd = end & ~(kLargePage - 1);
  if (largeEnd > largeStart) madvise(reinterpret_cast<void*>(largeStart), largeEnd - largeStart, MADV_HUGEPAGE);
  madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}
#endif

}  // namespace

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
