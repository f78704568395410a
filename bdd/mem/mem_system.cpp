// The process-wide region behind the memory manager and its private break.
//
// Limit: the whole process has 4 GiB of engine memory. The region is one
// reservation of 4 GiB of address space without access rights, made at the
// first growth; the break commits pages of it as it advances. Keeping every
// block inside one 4 GiB window is what makes 32-bit offsets from
// mem_region_base valid handles. The real program break is never touched.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "bdd/mem/mem_internal.h"

char* mem_region_base = nullptr;

namespace {

constexpr std::uint64_t kRegionSize = std::uint64_t{1} << 32;

std::uint64_t break_offset = 0;  // bytes handed out by mem_sbrk
std::uint64_t committed = 0;     // bytes made readable and writable

bool reserve_region() {
  void* p =
      mmap(nullptr, kRegionSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return false;
  // Nodes, tables and the cache are reached at random: large pages, where
  // the system grants them on request, spare most of the address
  // translation misses. A refusal changes nothing else.
  madvise(p, kRegionSize, MADV_HUGEPAGE);
  mem_region_base = static_cast<char*>(p);
  return true;
}

std::uint64_t page_size() {
  static const std::uint64_t size = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

char* mem_sbrk(std::size_t size) {
  if (mem_region_base == nullptr && !reserve_region()) return nullptr;
  char* old_end = mem_region_base + break_offset;
  if (size == 0) return old_end;
  if (size > kRegionSize - break_offset) return nullptr;
  std::uint64_t end = break_offset + size;
  std::uint64_t page = page_size();
  std::uint64_t need = (end + page - 1) / page * page;
  if (need > committed) {
    if (mprotect(mem_region_base + committed, need - committed, PROT_READ | PROT_WRITE) != 0) {
      return nullptr;
    }
    committed = need;
  }
  break_offset = end;
  return old_end;
}
