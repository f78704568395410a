// Record and block memory manager of the BDD engine.
//
// Blocks come in power-of-two size classes 2^0 .. 2^30 (24-byte header
// included) with buddy splitting and merging; record managers hand out
// fixed-size records carved from 4096-byte pool blocks. Memory is taken
// from one process-wide region that grows like a program break, its
// address space reserved in steps as it grows, in place (mem_system.cpp); it
// is never given back to the system. Every address the
// manager hands out lies inside that region, so an address is also a
// 32-bit offset from the region's base (see mem_offset / mem_at): this is
// what lets the engine use 32-bit node handles on a 64-bit machine. The
// region is 4 GiB, the engine memory of the whole process; exhausting it ends
// the process with "mem_get_block: allocation failed".
// The free lists are process-wide and unlocked: one thread only.
// Failures end the process with "Memory management library: error: ...".
#pragma once

#include <cstddef>
#include <cstdint>

// Opaque record manager.
typedef struct mem_rec_mgr_* mem_rec_mgr;

// Base of the process-wide region; null until the first block is obtained.
extern char* mem_region_base;

// Caller's area of a block of the smallest class holding size + 24 bytes; null for 0.
void* mem_get_block(std::size_t size);
// Gives a block back to the free lists, merging buddies; null does nothing.
void mem_free_block(void* area);
// Area of new_size bytes holding the old contents (in place when possible).
void* mem_resize_block(void* area, std::size_t new_size);

// New manager of records of `size` bytes (at least 4, rounded up to 8).
mem_rec_mgr mem_new_rec_mgr(int size);
// Frees every pool block of the manager and the manager itself.
void mem_free_rec_mgr(mem_rec_mgr mgr);
// One record; its contents are not cleared.
void* mem_new_rec(mem_rec_mgr mgr);
// Returns a record; one whose marker says it is already free is reported on
// stderr and not linked again.
void mem_free_rec(mem_rec_mgr mgr, void* rec);

// Walk over every record of a manager, free ones included: pools from
// mem_rec_first_pool, then mem_rec_next_pool until 0; each pool holds
// mem_rec_per_pool records of mem_rec_size bytes from mem_rec_pool_records.
// Records freed during a walk stay where they are.
std::uint32_t mem_rec_first_pool(mem_rec_mgr mgr);
std::uint32_t mem_rec_next_pool(std::uint32_t pool);
char* mem_rec_pool_records(std::uint32_t pool);
int mem_rec_per_pool(mem_rec_mgr mgr);
int mem_rec_size(mem_rec_mgr mgr);
// Word 1 of a free record; odd, so never equal to an even word of data.
constexpr std::uint32_t kRecFreeMarker = 0x34F21AB3u;
// Whether word 1 of a record holds the free marker: always for a free
// record, and for a record in use only when its data says so.
inline bool mem_rec_marked_free(const void* rec) {
  return static_cast<const std::uint32_t*>(rec)[1] == kRecFreeMarker;
}

// Bytes obtained from the system so far.
long mem_allocation();
void mem_copy(void* dst, const void* src, std::size_t count);
void mem_zero(void* area, std::size_t count);
const char* mem_version();

// 32-bit offset of an address inside the region, and back.
inline std::uint32_t mem_offset(const void* p) {
  return static_cast<std::uint32_t>(static_cast<const char*>(p) - mem_region_base);
}
inline void* mem_at(std::uint32_t offset) {
  return mem_region_base + offset;
}
