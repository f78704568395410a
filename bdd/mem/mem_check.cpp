// Inspection of the free lists and segments, for invariant checks.
#include <cstdint>
#include <cstdio>

#include "bdd/mem/mem_internal.h"

namespace {

bool fault(const char* what, int k, std::uint32_t offset) {
  std::fprintf(stderr, "memory check: %s (class %d, block at offset 0x%x)\n", what, k,
               static_cast<unsigned>(offset));
  return false;
}

std::uint64_t break_offset() {
  return mem_region_base == nullptr ? 0 : static_cast<std::uint64_t>(mem_sbrk(0) - mem_region_base);
}

bool inside_segment(std::uint32_t offset, int k) {
  const mem_segment* seg = mem_segment_at(mem_block_at(offset)->segment);
  if (offset < seg->base) return false;
  std::uint64_t rel = offset - seg->base;
  std::uint64_t size = std::uint64_t{1} << k;
  return rel % size == 0 && rel + size <= seg->limit;
}

bool check_block(int k, std::uint32_t offset, std::uint64_t end) {
  const mem_block_header* block = mem_block_at(offset);
  if (block->in_use != 0) return fault("block on a free list is marked in use", k, offset);
  if (block->size_index != static_cast<std::uint32_t>(k)) {
    return fault("block on the wrong free list", k, offset);
  }
  if (mem_block_at(block->next)->prev != offset || mem_block_at(block->prev)->next != offset) {
    return fault("broken free-list links", k, offset);
  }
  if (block->segment >= end || !inside_segment(offset, k)) {
    return fault("block outside its segment", k, offset);
  }
  if (k < kMemMaxIndex) {
    const mem_segment* seg = mem_segment_at(block->segment);
    std::uint32_t buddy = (offset - seg->base) ^ (std::uint32_t{1} << k);
    if (buddy < seg->limit) {
      const mem_block_header* other = mem_block_at(seg->base + buddy);
      if (other->in_use == 0 && other->size_index == static_cast<std::uint32_t>(k)) {
        return fault("free buddies left unmerged", k, offset);
      }
    }
  }
  return true;
}

}  // namespace

long mem_free_list_length(int k) {
  std::uint32_t head = mem_free_lists[k];
  if (head == 0) return 0;
  long n = 0;
  std::uint32_t offset = head;
  do {
    ++n;
    offset = mem_block_at(offset)->next;
  } while (offset != head);
  return n;
}

long mem_free_bytes() {
  long total = 0;
  for (int k = 0; k <= kMemMaxIndex; ++k)
    total += mem_free_list_length(k) << k;
  return total;
}

long mem_carved_bytes() {
  // Segments follow one another in the region: each record sits at the
  // 8-aligned end of the previous segment's carved bytes.
  std::uint64_t end = break_offset();
  long total = 0;
  for (std::uint64_t offset = 0; offset < end;) {
    const mem_segment* seg = mem_segment_at(static_cast<std::uint32_t>(offset));
    total += seg->limit;
    offset = (std::uint64_t{seg->base} + seg->limit + 7) / 8 * 8;
  }
  return total;
}

bool mem_check_free_lists() {
  std::uint64_t end = break_offset();
  for (int k = 0; k <= kMemMaxIndex; ++k) {
    std::uint32_t head = mem_free_lists[k];
    if (head == 0) continue;
    std::uint32_t offset = head;
    std::uint64_t steps = 0;
    do {
      if (offset == 0 || offset >= end) return fault("link outside the region", k, offset);
      if (!check_block(k, offset, end)) return false;
      if (++steps > (end >> k)) return fault("free list does not close", k, head);
      offset = mem_block_at(offset)->next;
    } while (offset != head);
  }
  return true;
}
