// A heap for the many small blocks a run allocates (names, set and vector
// storage, list and map nodes): blocks of up to 512 bytes in classes of 16
// bytes, each class served from 64 KiB slabs of one reserved region and
// reused through a free list per class, without headers and without
// searching. Larger blocks, and every block once the region is used up or
// when it could not be reserved (an address-space limit), come from malloc.
//
// The programs route their global operator new and delete here; the
// libraries and their tests use the standard allocator. One thread only.
#pragma once

#include <cstddef>

namespace tessaro {

// A block of at least `size` bytes aligned to 16; null when memory is out.
void* small_heap_alloc(std::size_t size) noexcept;
// Gives back a block of small_heap_alloc (null is ignored).
void small_heap_free(void* p) noexcept;
// Whether `p` lies in the region (a block of a size class).
bool small_heap_owns(const void* p) noexcept;

// What the heap holds, for tests and reports.
struct small_heap_stats {
  std::size_t region_bytes;  // reserved, 0 when there is no region
  std::size_t slab_bytes;    // handed to the classes so far
};
small_heap_stats small_heap_state() noexcept;

}  // namespace tessaro
