// Internals of the memory manager: block and segment layouts, the free
// lists, the growth primitive, and inspection helpers used by the checks.
//
// Every link stored in the region is a 32-bit offset from mem_region_base.
// Offset 0 holds the record of the first segment, so it is never a block or
// a record and serves as the "none" value of every link.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bdd/mem/mem.h"

constexpr int kMemMaxIndex = 30;
constexpr int kMemClasses = kMemMaxIndex + 1;
constexpr std::size_t kMemHeaderSize = 24;
// Largest caller's area: a block of class 30 minus its header.
constexpr std::size_t kMemMaxArea = (std::size_t{1} << kMemMaxIndex) - kMemHeaderSize;
// The system is asked for at least 2^15 bytes at a time.
constexpr int kMemMinGrowthIndex = 15;

// Block header; the caller's area follows it.
struct mem_block_header {
  std::uint32_t in_use;      // 1 while handed out, 0 while on a free list
  std::uint32_t size_index;  // the block has 2^size_index bytes
  std::uint32_t next;        // circular free list of its class
  std::uint32_t prev;
  std::uint32_t segment;  // offset of the segment record it was carved from
  std::uint32_t unused;
};
static_assert(sizeof(mem_block_header) == kMemHeaderSize, "block header is 24 bytes");

// Segment record: blocks are carved at base + limit.
struct mem_segment {
  std::uint32_t base;   // offset of the first byte of the segment
  std::uint32_t limit;  // bytes carved so far
};
static_assert(sizeof(mem_segment) == 8, "segment record is two words");

constexpr std::uint32_t kRecInUseMarker = 0x432FA13Bu;
// A pool block's caller's area: a link word pair, then the records.
constexpr std::size_t kPoolArea = 4096 - kMemHeaderSize;
constexpr std::size_t kPoolRecordsOffset = 8;
constexpr std::size_t kPoolRecordBytes = kPoolArea - kPoolRecordsOffset;

// Record manager (a 16-byte block).
struct mem_rec_mgr_ {
  std::uint32_t rec_size;
  std::uint32_t per_pool;   // records per pool block
  std::uint32_t free_list;  // first free record; a free record's word 0 links to the next
  std::uint32_t pools;      // first pool block; a pool's word 0 links to the next
};
static_assert(sizeof(mem_rec_mgr_) == 16, "record manager is 16 bytes");

// Heads of the free lists, one per class; 0 for an empty list.
extern std::uint32_t mem_free_lists[kMemClasses];

// Ends the process with "Memory management library: error: <text>".
[[noreturn]] void mem_fatal(const char* text);

// Break over the process-wide region: for 0 the current end, otherwise the
// start of exactly `size` fresh bytes; null when the region or the system
// refuses. Reserves the region on first use.
char* mem_sbrk(std::size_t size);

// Size class of a request: -1 for 0, else the smallest k with 2^k >= size + 24.
int block_size_index(std::size_t size);

inline mem_block_header* mem_block_at(std::uint32_t offset) {
  return static_cast<mem_block_header*>(mem_at(offset));
}
inline mem_block_header* mem_header_of(void* area) {
  return reinterpret_cast<mem_block_header*>(static_cast<char*>(area) - kMemHeaderSize);
}
inline mem_segment* mem_segment_at(std::uint32_t offset) {
  return static_cast<mem_segment*>(mem_at(offset));
}

// ---- Inspection, for invariant checks and tests ----

// Number of blocks on the free list of class k.
long mem_free_list_length(int k);
// Bytes held by all free lists.
long mem_free_bytes();
// Bytes carved into blocks over all segments.
long mem_carved_bytes();
// Checks every free list: links, headers, bounds, and that no free block has
// a free buddy of its own class left unmerged. Writes the first fault found on
// stderr and returns false.
bool mem_check_free_lists();
