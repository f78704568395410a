// The heap reservation: its size follows the input within its bounds, it is
// skipped under an address-space limit, and the heap works as before after
// it (blocks of every size, written and checked, then freed and taken again).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/heap_reserve.h"

namespace {

TEST(HeapReserve, SizeFollowsTheInputWithinBounds) {
  EXPECT_EQ(tessaro::heap_reserve_size(0), 0u);
  EXPECT_EQ(tessaro::heap_reserve_size(100000), 0u);  // below the minimum
  const std::size_t big = std::size_t{2} << 20;
  EXPECT_EQ(tessaro::heap_reserve_size(big), big * tessaro::kHeapPerInputByte);
  EXPECT_EQ(tessaro::heap_reserve_size(std::size_t{1} << 40), tessaro::kHeapReserveMax);
  EXPECT_EQ(tessaro::heap_reserve_size(SIZE_MAX), tessaro::kHeapReserveMax);
}

TEST(HeapReserve, InputBytesCountsRegularFilesOnly) {
  const std::string path = testing::TempDir() + "heap_reserve_input.blif";
  {
    std::ofstream out(path);
    out << std::string(1234, 'x');
  }
  EXPECT_EQ(tessaro::input_bytes({path, path + ".missing", "/dev/null", "/"}), 1234u);
  std::remove(path.c_str());
}

// Run in a child: 0 when nothing was reserved under a limit of 4 GiB.
[[noreturn]] void reserve_under_a_limit() {
  struct rlimit limit;
  limit.rlim_cur = limit.rlim_max = rlim_t{4} << 30;
  setrlimit(RLIMIT_AS, &limit);
  std::_Exit(tessaro::reserve_heap(std::size_t{4} << 20) == 0 ? 0 : 1);
}

// Run in a child: reserves, then allocates, fills, checks and frees blocks
// of random sizes up to 3 MiB; 0 when every block held its bytes.
[[noreturn]] void reserve_then_allocate() {
  struct rlimit limit;
  getrlimit(RLIMIT_AS, &limit);
  const std::size_t reserved = tessaro::reserve_heap(std::size_t{4} << 20);
  // Without a limit the whole size is taken (pieces of 30 MiB and a rest).
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator takes no tuning: nothing is reserved.
  if (reserved != 0) std::_Exit(2);
#else
  if (limit.rlim_cur == RLIM_INFINITY && reserved != 4 * tessaro::kHeapPerInputByte << 20)
    std::_Exit(2);
#endif
  std::mt19937 rng(5);
  std::vector<std::pair<unsigned char*, std::size_t>> blocks;
  std::size_t total = 0;
  for (int round = 0; round < 20000; ++round) {
    if (!blocks.empty() && (rng() % 3 == 0 || total > (std::size_t{64} << 20))) {
      const std::size_t at = rng() % blocks.size();
      auto [p, n] = blocks[at];
      for (std::size_t i = 0; i < n; i += 97)
        if (p[i] != static_cast<unsigned char>(n + i)) std::_Exit(3);
      std::free(p);
      total -= n;
      blocks[at] = blocks.back();
      blocks.pop_back();
      continue;
    }
    const std::size_t n = rng() % 5 == 0 ? rng() % (std::size_t{3} << 20) + 1 : rng() % 512 + 1;
    auto* p = static_cast<unsigned char*>(std::malloc(n));
    if (p == nullptr) std::_Exit(4);
    for (std::size_t i = 0; i < n; i += 97)
      p[i] = static_cast<unsigned char>(n + i);
    blocks.push_back({p, n});
    total += n;
  }
  std::_Exit(0);
}

TEST(HeapReserveDeathTest, NothingIsReservedUnderAnAddressSpaceLimit) {
  EXPECT_EXIT(reserve_under_a_limit(), testing::ExitedWithCode(0), "");
}

TEST(HeapReserveDeathTest, TheHeapServesEveryBlockAfterAReservation) {
  EXPECT_EXIT(reserve_then_allocate(), testing::ExitedWithCode(0), "");
}

}  // namespace
