// The process-wide region behind the memory manager and its private break.
//
// Limit: the whole process has 4 GiB of engine memory. The region is one
// reservation of 4 GiB of address space without access rights, made at the
// first growth; the break commits pages of it as it advances. Keeping every
// block inside one 4 GiB window is what makes 32-bit offsets from
// mem_region_base valid handles. The real program break is never touched.
#include <sys/mman.h>

#include <cstdint>

#include "bdd/mem/mem_internal.h"

char* mem_region_base = nullptr;

namespace {

constexpr std::uint64_t kRegionSize = std::uint64_t{1} << 32;
// Pages are committed in steps of a large page, from a base aligned to one:
// the system can back a step with a large page only when the whole aligned
// step lies in memory that is already readable and writable.
constexpr std::uint64_t kCommitStep = std::uint64_t{2} << 20;

std::uint64_t break_offset = 0;  // bytes handed out by mem_sbrk
std::uint64_t committed = 0;     // bytes made readable and writable

bool reserve_region() {
  void* raw = mmap(nullptr, kRegionSize + kCommitStep, PROT_NONE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (raw == MAP_FAILED) return false;
  // Keep the aligned 4 GiB window and give back the slack on both sides.
  std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw);
  std::uintptr_t aligned = (start + kCommitStep - 1) & ~(kCommitStep - 1);
  if (aligned > start) munmap(raw, aligned - start);
  std::uintptr_t tail = aligned + kRegionSize;
  std::uintptr_t raw_end = start + kRegionSize + kCommitStep;
  if (raw_end > tail) munmap(reinterpret_cast<void*>(tail), raw_end - tail);
  void* p = reinterpret_cast<void*>(aligned);
  // Nodes, tables and the cache are reached at random: large pages, where
  // the system grants them on request, spare most of the address
  // translation misses. A refusal changes nothing else.
  madvise(p, kRegionSize, MADV_HUGEPAGE);
  mem_region_base = static_cast<char*>(p);
  return true;
}

}  // namespace

char* mem_sbrk(std::size_t size) {
  if (mem_region_base == nullptr && !reserve_region()) return nullptr;
  char* old_end = mem_region_base + break_offset;
  if (size == 0) return old_end;
  if (size > kRegionSize - break_offset) return nullptr;
  std::uint64_t end = break_offset + size;
  std::uint64_t need = (end + kCommitStep - 1) / kCommitStep * kCommitStep;
  if (need > kRegionSize) need = kRegionSize;
  if (need > committed) {
    if (mprotect(mem_region_base + committed, need - committed, PROT_READ | PROT_WRITE) != 0) {
      return nullptr;
    }
    committed = need;
  }
  break_offset = end;
  return old_end;
}
