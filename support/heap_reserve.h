// Heap room sized from the input, taken once at the start of a run.
//
// A run allocates and frees many small records whose total grows with the
// input. Left to itself the allocator extends its heap a little at a time
// and the system clears each new 4 KiB page on first touch, which costs a
// fault per page. `reserve_heap` extends the heap once by about as much as
// the run will need, asks the system to back that range with 2 MiB pages
// where it can, and keeps it in the process: freed memory is reused rather
// than given back and faulted in again. Nothing is reserved under an
// address-space limit or for small inputs, so those runs allocate exactly
// as before; on a system without these controls the call does nothing.
#pragma once

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace tessaro {

// Heap bytes a run takes per input byte, measured on the large benchmark
// pairs (about 20), rounded up.
constexpr std::size_t kHeapPerInputByte = 24;
// No reservation below this: a few pages are not worth a system call.
constexpr std::size_t kHeapReserveMin = std::size_t{8} << 20;
constexpr std::size_t kHeapReserveMax = std::size_t{256} << 20;

// Total size of the files that exist among `paths` (others count 0).
inline std::size_t input_bytes(const std::vector<std::string>& paths) {
  std::size_t total = 0;
  for (const std::string& path : paths) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
      total += static_cast<std::size_t>(st.st_size);
  }
  return total;
}

// The reservation for `input` bytes of input: 0 when none is made.
inline std::size_t heap_reserve_size(std::size_t input) {
  if (input > kHeapReserveMax / kHeapPerInputByte) return kHeapReserveMax;
  const std::size_t wanted = input * kHeapPerInputByte;
  return wanted < kHeapReserveMin ? 0 : wanted;
}

#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
// Asks for 2 MiB pages on every whole 2 MiB range within [from, to).
inline void advise_large_pages(std::uintptr_t from, std::uintptr_t to) {
  constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
  from = (from + kLarge - 1) & ~(kLarge - 1);
  to &= ~(kLarge - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}
#endif

// Extends the heap by heap_reserve_size(input) bytes backed by large pages
// and keeps freed memory in the process; returns the bytes reserved.
inline std::size_t reserve_heap(std::size_t input) {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
  struct rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur != RLIM_INFINITY) return 0;
  const std::size_t total = heap_reserve_size(input);
  if (total == 0) return 0;
  // Blocks up to this size come from the heap itself (the largest value the
  // allocator accepts), so each piece below is carved from the heap's end.
  constexpr std::size_t kPiece = std::size_t{30} << 20;
  if (mallopt(M_MMAP_THRESHOLD, 32 << 20) == 0) return 0;
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  constexpr std::size_t kMaxPieces = kHeapReserveMax / kPiece + 1;
  void* pieces[kMaxPieces];
  std::size_t sizes[kMaxPieces];
  std::size_t count = 0, reserved = 0;
  std::uintptr_t low = UINTPTR_MAX, high = 0;
  while (reserved < total && count < kMaxPieces) {
    const std::size_t size = total - reserved < kPiece ? total - reserved : kPiece;
    void* p = std::malloc(size);
    if (p == nullptr) break;
    pieces[count] = p;
    sizes[count++] = size;
    reserved += size;
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    if (start < low) low = start;
    if (start + size > high) high = start + size;
  }
  // The pieces lie end to end at the heap's end unless the heap could not
  // grow in place; either way every whole 2 MiB range of them is advised.
  if (high > low && high - low <= reserved + (std::size_t{1} << 20)) {
    advise_large_pages(low, high);
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      const auto start = reinterpret_cast<std::uintptr_t>(pieces[i]);
      advise_large_pages(start, start + sizes[i]);
    }
  }
  // Freed, the pieces join the heap's free end, which now stays.
  while (count > 0)
    std::free(pieces[--count]);
  return reserved;
#else
  (void)input;
  return 0;
#endif
}

}  // namespace tessaro
