// The small-block heap, both directly and as this test program's global
// operator new and delete: random blocks of every class and past the
// largest, filled and checked while others come and go; the class layout
// (alignment, reuse of the last freed block, ownership); every form of new
// and delete; and the program again under an address-space limit, where the
// heap reserves nothing and serves every block from malloc.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <list>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "support/small_heap.h"

namespace {

struct block {
  unsigned char* p;
  std::size_t n;
  unsigned char seed;
};

void fill(const block& b) {
  for (std::size_t i = 0; i < b.n; ++i)
    b.p[i] = static_cast<unsigned char>(b.seed + i);
}
bool intact(const block& b) {
  for (std::size_t i = 0; i < b.n; ++i)
    if (b.p[i] != static_cast<unsigned char>(b.seed + i)) return false;
  return true;
}

// Allocates and frees 50,000 random blocks, checking each one's bytes when
// it is freed and all of them at the end; the count of damaged blocks.
int churn(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<block> live;
  int damaged = 0;
  for (int round = 0; round < 50000; ++round) {
    if (!live.empty() && rng() % 5 < 2) {
      const std::size_t at = rng() % live.size();
      damaged += !intact(live[at]);
      tessaro::small_heap_free(live[at].p);
      live[at] = live.back();
      live.pop_back();
      continue;
    }
    const std::size_t n = rng() % 8 == 0 ? rng() % 4000 : rng() % 530;
    block b{static_cast<unsigned char*>(tessaro::small_heap_alloc(n)), n,
            static_cast<unsigned char>(rng())};
    if (b.p == nullptr || reinterpret_cast<std::uintptr_t>(b.p) % 16 != 0) return -1;
    fill(b);
    live.push_back(b);
  }
  for (const block& b : live) {
    damaged += !intact(b);
    tessaro::small_heap_free(b.p);
  }
  return damaged;
}

TEST(SmallHeap, RandomBlocksKeepTheirBytes) {
  EXPECT_EQ(churn(1), 0);
  EXPECT_EQ(churn(2), 0);  // on the free lists the first run left
}

TEST(SmallHeap, ClassesReuseAndOwnership) {
  void* a = tessaro::small_heap_alloc(40);
  void* b = tessaro::small_heap_alloc(48);  // the same class of 48 bytes
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  const bool region = tessaro::small_heap_state().region_bytes > 0;
  struct rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur == RLIM_INFINITY) {
    EXPECT_TRUE(region);
  }
  EXPECT_EQ(tessaro::small_heap_owns(a), region);
  if (region) {
    tessaro::small_heap_free(a);
    EXPECT_EQ(tessaro::small_heap_alloc(33), a);  // the last freed block of its class
  }
  void* big = tessaro::small_heap_alloc(513);
  EXPECT_FALSE(tessaro::small_heap_owns(big));
  tessaro::small_heap_free(big);
  tessaro::small_heap_free(nullptr);
  tessaro::small_heap_free(a);
  tessaro::small_heap_free(b);
}

TEST(SmallHeap, EveryFormOfNewAndDelete) {
  int* one = new int(7);
  int* many = new int[300];
  for (int i = 0; i < 300; ++i)
    many[i] = i;
  int* none = new int[0];
  auto* quiet = new (std::nothrow) std::string(100, 'q');
  char* quiet_many = new (std::nothrow) char[600];
  ASSERT_NE(quiet, nullptr);
  ASSERT_NE(quiet_many, nullptr);
  EXPECT_EQ(*one, 7);
  EXPECT_EQ(many[299], 299);
  EXPECT_EQ(*quiet, std::string(100, 'q'));
  delete one;
  delete[] many;
  delete[] none;
  delete quiet;
  delete[] quiet_many;

  // Containers whose nodes and buffers come and go through sized deletes.
  std::map<std::string, std::list<std::string>> nodes;
  for (int i = 0; i < 5000; ++i)
    nodes["name" + std::to_string(i % 700)].push_back(std::string(i % 90, 'x'));
  std::size_t total = 0;
  for (const auto& [name, values] : nodes)
    for (const std::string& v : values)
      total += v.size() + (name.empty() ? 1 : 0);
  std::size_t expected = 0;
  for (int i = 0; i < 5000; ++i)
    expected += static_cast<std::size_t>(i % 90);
  EXPECT_EQ(total, expected);
}

// Run only by the test below, in a process started under a limit of 4 GiB
// of address space: no region, and every block still served and intact.
TEST(SmallHeapUnderALimit, EveryBlockComesFromMalloc) {
  if (std::getenv("TESSARO_SMALL_HEAP_LIMITED") == nullptr) GTEST_SKIP() << "run by the test below";
  EXPECT_EQ(tessaro::small_heap_state().region_bytes, 0u);
  EXPECT_EQ(churn(3), 0);
}

TEST(SmallHeap, UnderAnAddressSpaceLimitEveryBlockComesFromMalloc) {
  // The limit must hold before the program's first block, so this program
  // is started again under it.
  const std::string command =
      "ulimit -v 4194304 && TESSARO_SMALL_HEAP_LIMITED=1 exec /proc/" + std::to_string(getpid()) +
      "/exe --gtest_filter=SmallHeapUnderALimit.* | grep -q '^\\[  PASSED  \\] 1 test'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
