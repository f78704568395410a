// The process-wide region behind the memory manager and its private break.
//
// Limit: the whole process has 4 GiB of engine memory. Keeping every block
// inside one window of 4 GiB from mem_region_base is what makes 32-bit
// offsets valid handles; the engine also keeps raw addresses inside the
// region (its managers, their tables), so the region never moves.
//
// Address space is taken as the data needs it: the region starts as a
// reservation of 64 MiB without access rights and grows in place, each
// growth doubling it (or, when the system refuses that, just what the break
// needs), so that a process under an address-space limit holds no more than
// about twice what its blocks use. To leave room above it for those
// growths, the region is placed far below where the system puts its own
// mappings (which it takes from the top down). The break commits pages of
// the reservation as it advances. A growth the system refuses (the limit,
// or another mapping in the way) makes mem_sbrk fail. The real program
// break is never touched.
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>

#include "bdd/mem/mem_internal.h"

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

char* mem_region_base = nullptr;

namespace {

constexpr std::uint64_t kRegionSize = std::uint64_t{1} << 32;
// Pages are committed in steps of a large page, from a base aligned to one:
// the system can back a step with a large page only when the whole aligned
// step lies in memory that is already readable and writable.
constexpr std::uint64_t kCommitStep = std::uint64_t{2} << 20;
constexpr std::uint64_t kFirstReservation = std::uint64_t{64} << 20;
// How far below the system's own mappings the region is placed.
constexpr std::uint64_t kDistance = std::uint64_t{1} << 40;
constexpr int kFlags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;

std::uint64_t break_offset = 0;  // bytes handed out by mem_sbrk
std::uint64_t committed = 0;     // bytes made readable and writable
std::uint64_t reserved = 0;      // bytes of address space held from the base

std::uint64_t round_up(std::uint64_t n) {
  return (n + kCommitStep - 1) / kCommitStep * kCommitStep;
}

// Nodes, tables and the cache are reached at random: large pages, where
// the system grants them on request, spare most of the address translation
// misses. A refusal changes nothing else.
void advise(char* p, std::uint64_t size) {
  madvise(p, size, MADV_HUGEPAGE);
}

// An address well below the system's mappings, or null to let it choose.
void* placement_hint() {
  void* probe = mmap(nullptr, kCommitStep, PROT_NONE, kFlags, -1, 0);
  if (probe == MAP_FAILED) return nullptr;
  munmap(probe, kCommitStep);
  const std::uintptr_t top = reinterpret_cast<std::uintptr_t>(probe);
  const std::uintptr_t hint = top - std::min<std::uintptr_t>(kDistance, top / 2);
  return reinterpret_cast<void*>(hint & ~(kCommitStep - 1));
}

// Reserves `size` bytes from an address aligned to a commit step.
bool reserve_at(void* hint, std::uint64_t size) {
  void* raw = mmap(hint, size + kCommitStep, PROT_NONE, kFlags, -1, 0);
  if (raw == MAP_FAILED) return false;
  // Keep the aligned window and give back the slack on both sides.
  std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw);
  std::uintptr_t aligned = (start + kCommitStep - 1) & ~(kCommitStep - 1);
  if (aligned > start) munmap(raw, aligned - start);
  std::uintptr_t tail = aligned + size;
  std::uintptr_t raw_end = start + size + kCommitStep;
  if (raw_end > tail) munmap(reinterpret_cast<void*>(tail), raw_end - tail);
  mem_region_base = reinterpret_cast<char*>(aligned);
  reserved = size;
  advise(mem_region_base, size);
  return true;
}

bool reserve_region() {
  void* hint = placement_hint();
  for (std::uint64_t size = kFirstReservation; size >= kCommitStep; size /= 2) {
    if (reserve_at(hint, size)) return true;
  }
  return false;
}

// Extends the reservation in place to `size` bytes; false when the system
// refuses or would place the extension elsewhere.
bool extend_to(std::uint64_t size) {
  char* end = mem_region_base + reserved;
  const std::uint64_t more = size - reserved;
  void* p = mmap(end, more, PROT_NONE, kFlags | MAP_FIXED_NOREPLACE, -1, 0);
  if (p == MAP_FAILED) return false;
  if (p != end) {
    // A system that does not know MAP_FIXED_NOREPLACE took it as a hint.
    munmap(p, more);
    return false;
  }
  advise(end, more);
  reserved = size;
  return true;
}

// Makes the reservation hold at least `need` bytes.
bool reserve_up_to(std::uint64_t need) {
  if (need <= reserved) return true;
  const std::uint64_t doubled = std::min(kRegionSize, std::max(need, 2 * reserved));
  return extend_to(doubled) || (need < doubled && extend_to(need));
}

}  // namespace

char* mem_sbrk(std::size_t size) {
  if (mem_region_base == nullptr && !reserve_region()) return nullptr;
  char* old_end = mem_region_base + break_offset;
  if (size == 0) return old_end;
  if (size > kRegionSize - break_offset) return nullptr;
  std::uint64_t end = break_offset + size;
  std::uint64_t need = std::min(round_up(end), kRegionSize);
  if (need > committed) {
    if (!reserve_up_to(need)) return nullptr;
    if (mprotect(mem_region_base + committed, need - committed, PROT_READ | PROT_WRITE) != 0) {
      return nullptr;
    }
    committed = need;
  }
  break_offset = end;
  return old_end;
}
