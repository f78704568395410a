// Block allocator: power-of-two size classes with buddy splitting and
// merging, carved from segments of the process-wide region.
//
// Blocks are carved at base + limit of their segment, smallest pieces first,
// so every block's offset inside its segment is a multiple of its size and
// the buddy of the block at segment offset o of class k sits at o ^ 2^k.
#include <algorithm>
#include <cstdint>

#include "bdd/mem/mem_internal.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

std::uint32_t mem_free_lists[kMemClasses];

namespace {

// Under AddressSanitizer the caller's area of a free block is poisoned, so
// that a use of a block after it was freed is reported where it happens;
// headers stay readable for the allocator itself.
void set_poisoned(std::uint32_t offset, std::size_t bytes, bool poisoned) {
#if defined(__SANITIZE_ADDRESS__)
  if (poisoned) {
    ASAN_POISON_MEMORY_REGION(mem_at(offset), bytes);
  } else {
    ASAN_UNPOISON_MEMORY_REGION(mem_at(offset), bytes);
  }
#else
  (void)offset;
  (void)bytes;
  (void)poisoned;
#endif
}
// The caller's area of the block at offset, of class k.
void poison_area(std::uint32_t offset, std::uint32_t k) {
  set_poisoned(offset + kMemHeaderSize, (std::size_t{1} << k) - kMemHeaderSize, true);
}
void unpoison_area(std::uint32_t offset, std::uint32_t k) {
  set_poisoned(offset + kMemHeaderSize, (std::size_t{1} << k) - kMemHeaderSize, false);
}

// Stands as the current segment until the first growth; nothing is carved from it.
mem_segment initial_segment = {0, 0};
mem_segment* current_segment = &initial_segment;
long allocation_total = 0;

constexpr std::uint32_t kMaxSegmentLimit = std::uint32_t{1} << kMemMaxIndex;

void list_insert(std::uint32_t offset) {
  mem_block_header* block = mem_block_at(offset);
  std::uint32_t& head = mem_free_lists[block->size_index];
  if (head == 0) {
    head = offset;
    block->next = offset;
    block->prev = offset;
    return;
  }
  mem_block_header* first = mem_block_at(head);
  block->prev = head;
  block->next = first->next;
  mem_block_at(first->next)->prev = offset;
  first->next = offset;
}

void list_remove(std::uint32_t offset) {
  mem_block_header* block = mem_block_at(offset);
  std::uint32_t& head = mem_free_lists[block->size_index];
  if (block->next == offset) {
    head = 0;
    return;
  }
  mem_block_at(block->prev)->next = block->next;
  mem_block_at(block->next)->prev = block->prev;
  if (head == offset) head = block->next;
}

// Offset of the buddy of a block of class k, or 0 when it lies past the limit.
std::uint32_t buddy_of(std::uint32_t offset, std::uint32_t k) {
  const mem_segment* seg = mem_segment_at(mem_block_at(offset)->segment);
  std::uint32_t buddy = (offset - seg->base) ^ (std::uint32_t{1} << k);
  return buddy < seg->limit ? seg->base + buddy : 0;
}

bool is_free_of_class(std::uint32_t offset, std::uint32_t k) {
  const mem_block_header* block = mem_block_at(offset);
  return block->in_use == 0 && block->size_index == k;
}

// Puts a free block on its list after merging it with free buddies of its class.
void release(std::uint32_t offset) {
  mem_block_header* block = mem_block_at(offset);
  block->in_use = 0;
  std::uint32_t k = block->size_index;
  while (k < kMemMaxIndex) {
    std::uint32_t buddy = buddy_of(offset, k);
    if (buddy == 0 || !is_free_of_class(buddy, k)) break;
    list_remove(buddy);
    offset = std::min(offset, buddy);
    block = mem_block_at(offset);
    block->size_index = ++k;
  }
  poison_area(offset, k);
  list_insert(offset);
}

// Lowers a block to class k, giving each upper half to its free list.
void trim(std::uint32_t offset, std::uint32_t k) {
  mem_block_header* block = mem_block_at(offset);
  while (block->size_index > k) {
    --block->size_index;
    const std::uint32_t upper_offset = offset + (std::uint32_t{1} << block->size_index);
    set_poisoned(upper_offset, kMemHeaderSize, false);
    poison_area(upper_offset, block->size_index);
    mem_block_header* upper = mem_block_at(upper_offset);
    upper->in_use = 0;
    upper->size_index = block->size_index;
    upper->segment = block->segment;
    list_insert(mem_offset(upper));
  }
}

// Turns n fresh bytes at the segment's end into free blocks, smallest first.
// A piece whose buddy below is free merges with it at once.
void carve(mem_segment* seg, std::uint32_t n) {
  while (n != 0) {
    std::uint32_t piece = n & (~n + 1);
    std::uint32_t offset = seg->base + seg->limit;
    mem_block_header* block = mem_block_at(offset);
    block->size_index = static_cast<std::uint32_t>(__builtin_ctz(piece));
    block->segment = mem_offset(seg);
    seg->limit += piece;
    n -= piece;
    release(offset);
  }
}

char* request(std::size_t bytes) {
  char* p = mem_sbrk(bytes);
  if (p == nullptr) mem_fatal("mem_get_block: allocation failed");
  allocation_total += static_cast<long>(bytes);
  return p;
}

// Obtains at least 2^max(k, 15) bytes from the system as free blocks.
void grow(int k) {
  int a = std::max(k, kMemMinGrowthIndex);
  std::uint32_t size = std::uint32_t{1} << a;
  mem_segment* seg = current_segment;
  std::uint32_t pad = (size - (seg->limit & (size - 1))) & (size - 1);
  char* end = mem_sbrk(0);
  if (end == nullptr) mem_fatal("mem_get_block: allocation failed");
  bool contiguous =
      seg != &initial_segment && end == static_cast<char*>(mem_at(seg->base)) + seg->limit;
  if (contiguous && std::uint64_t{seg->limit} + pad + size <= kMaxSegmentLimit) {
    request(std::size_t{pad} + size);
    carve(seg, pad + size);
    return;
  }
  std::size_t align = (8 - static_cast<std::size_t>(end - mem_region_base) % 8) % 8;
  char* start = request(align + size + sizeof(mem_segment));
  seg = reinterpret_cast<mem_segment*>(start + align);
  seg->base = mem_offset(seg) + sizeof(mem_segment);
  seg->limit = 0;
  current_segment = seg;
  carve(seg, size);
}

int first_nonempty_list(int k) {
  for (int j = k; j <= kMemMaxIndex; ++j) {
    if (mem_free_lists[j] != 0) return j;
  }
  return -1;
}

void check_header(const mem_block_header* block, const char* not_in_use, const char* invalid) {
  if (block->in_use != 1) mem_fatal(not_in_use);
  if (block->size_index > kMemMaxIndex) mem_fatal(invalid);
}

}  // namespace

int block_size_index(std::size_t size) {
  if (size == 0) return -1;
  if (size > kMemMaxArea) mem_fatal("block_size_index: block size too large");
  std::size_t need = size + kMemHeaderSize;
  return 64 - __builtin_clzll(static_cast<unsigned long long>(need - 1));
}

void* mem_get_block(std::size_t size) {
  int k = block_size_index(size);
  if (k < 0) return nullptr;
  int j = first_nonempty_list(k);
  if (j < 0) {
    grow(k);
    j = first_nonempty_list(k);
  }
  std::uint32_t offset = mem_free_lists[j];
  list_remove(offset);
  mem_block_header* block = mem_block_at(offset);
  block->in_use = 1;
  trim(offset, static_cast<std::uint32_t>(k));
  unpoison_area(offset, static_cast<std::uint32_t>(k));
  return reinterpret_cast<char*>(block) + kMemHeaderSize;
}

void mem_free_block(void* area) {
  if (area == nullptr) return;
  mem_block_header* block = mem_header_of(area);
  check_header(block, "mem_free_block: block not in use", "mem_free_block: invalid block header");
  release(mem_offset(block));
}

void* mem_resize_block(void* area, std::size_t new_size) {
  if (area == nullptr) return mem_get_block(new_size);
  mem_block_header* block = mem_header_of(area);
  check_header(block, "mem_resize_block: block not in use",
               "mem_resize_block: invalid block header");
  if (new_size == 0) {
    mem_free_block(area);
    return nullptr;
  }
  std::uint32_t k = static_cast<std::uint32_t>(block_size_index(new_size));
  std::uint32_t old_index = block->size_index;
  std::uint32_t offset = mem_offset(block);
  if (k <= old_index) {
    trim(offset, k);
    return area;
  }
  while (block->size_index < k) {
    std::uint32_t cur = block->size_index;
    std::uint32_t buddy = buddy_of(offset, cur);
    if (buddy < offset || !is_free_of_class(buddy, cur)) break;
    list_remove(buddy);
    block->size_index = cur + 1;
  }
  if (block->size_index == k) {
    unpoison_area(offset, k);
    return area;
  }
  void* fresh = mem_get_block(new_size);
  mem_copy(fresh, area, (std::size_t{1} << old_index) - kMemHeaderSize);
  mem_free_block(area);
  return fresh;
}

long mem_allocation() {
  return allocation_total;
}
