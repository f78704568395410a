#include "support/small_heap.h"

#include <sys/mman.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>

namespace tessaro {
namespace {

constexpr std::size_t kGrain = 16;
constexpr std::size_t kLargestSmall = 512;
constexpr std::size_t kClasses = kLargestSmall / kGrain;  // class c holds (c + 1) * 16 bytes
constexpr std::size_t kSlabShift = 16;
constexpr std::size_t kSlab = std::size_t{1} << kSlabShift;
constexpr std::size_t kRegion = std::size_t{1} << 30;
constexpr std::size_t kSlabs = kRegion / kSlab;

struct free_block {
  free_block* next;
};

// Zero-initialised before any constructor runs, so blocks can be served
// while the standard library sets itself up.
struct heap_state {
  bool tried;              // the region was asked for (once)
  char* base;              // the region, or null
  std::size_t slabs_used;  // slabs handed out from the region's start
  free_block* free_lists[kClasses];
  char* carve[kClasses];  // next unused byte of the class's current slab
  char* carve_end[kClasses];
};

heap_state state;

void reserve_region() {
  state.tried = true;
  // Under an address-space limit the region would spend what the run may
  // need; the run then allocates as it would without this heap.
  struct rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur != RLIM_INFINITY) return;
  void* p = mmap(nullptr, kRegion, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return;
#ifdef MADV_HUGEPAGE
  madvise(p, kRegion, MADV_HUGEPAGE);
#endif
  state.base = static_cast<char*>(p);
}

// A fresh slab for class `c`; false when the region has none left.
bool new_slab(std::size_t c) {
  if (!state.tried) reserve_region();
  if (state.base == nullptr || state.slabs_used == kSlabs) return false;
  char* slab = state.base + (state.slabs_used++ << kSlabShift);
  state.carve[c] = slab;
  // A slab holds whole blocks only; the tail shorter than a block stays unused.
  const std::size_t block = (c + 1) * kGrain;
  state.carve_end[c] = slab + kSlab / block * block;
  return true;
}

// The size class of each slab handed out, so that a block is given back to
// its class without a header.
unsigned char slab_class[kSlabs];

}  // namespace

void* small_heap_alloc(std::size_t size) noexcept {
  if (size > kLargestSmall) return std::malloc(size);
  const std::size_t c = size == 0 ? 0 : (size - 1) / kGrain;
  if (free_block* b = state.free_lists[c]) {
    state.free_lists[c] = b->next;
    return b;
  }
  const std::size_t block = (c + 1) * kGrain;
  if (state.carve[c] == state.carve_end[c]) {
    if (!new_slab(c)) return std::malloc(size);
    slab_class[(state.carve[c] - state.base) >> kSlabShift] = static_cast<unsigned char>(c);
  }
  void* p = state.carve[c];
  state.carve[c] += block;
  return p;
}

bool small_heap_owns(const void* p) noexcept {
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  const auto base = reinterpret_cast<std::uintptr_t>(state.base);
  return state.base != nullptr && at - base < kRegion;
}

void small_heap_free(void* p) noexcept {
  if (p == nullptr) return;
  if (!small_heap_owns(p)) {
    std::free(p);
    return;
  }
  const std::size_t c = slab_class[(static_cast<char*>(p) - state.base) >> kSlabShift];
  free_block* b = static_cast<free_block*>(p);
  b->next = state.free_lists[c];
  state.free_lists[c] = b;
}

small_heap_stats small_heap_state() noexcept {
  return {state.base != nullptr ? kRegion : 0, state.slabs_used * kSlab};
}

}  // namespace tessaro
