// Tests of the record and block memory manager.
//
// The manager is process-wide, so every test whose expectations depend on a
// fresh manager runs its body in a re-executed child process ("threadsafe"
// death-test style) that exits 0 when all its checks hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bdd/mem/mem.h"
#include "bdd/mem/mem_internal.h"

namespace {

#define REQUIRE(cond)                                                               \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::_Exit(3);                                                                \
    }                                                                               \
  } while (0)

template <class F>
[[noreturn]] void run_then_exit(F body) {
  body();
  std::exit(0);
}

#define EXPECT_IN_FRESH_PROCESS(body) \
  EXPECT_EXIT(run_then_exit(body), ::testing::ExitedWithCode(0), "")

#define EXPECT_MEM_FATAL(statement, text)              \
  EXPECT_EXIT(statement, ::testing::ExitedWithCode(1), \
              ::testing::Eq(std::string("Memory management library: error: ") + (text) + "\n"))

class Mem : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

mem_block_header* header(void* area) {
  return mem_header_of(area);
}
std::uint32_t header_offset(void* area) {
  return mem_offset(mem_header_of(area));
}
std::uint32_t* words(void* rec) {
  return static_cast<std::uint32_t*>(rec);
}

// Which free lists are non-empty, as a bit mask over the classes.
std::uint32_t nonempty_lists() {
  std::uint32_t mask = 0;
  for (int k = 0; k <= kMemMaxIndex; ++k) {
    if (mem_free_list_length(k) != 0) mask |= std::uint32_t{1} << k;
  }
  return mask;
}

std::uint32_t classes(int from, int to) {
  std::uint32_t mask = 0;
  for (int k = from; k <= to; ++k)
    mask |= std::uint32_t{1} << k;
  return mask;
}

// Whether the block of a caller's area lies inside a block on a free list
// (it may have merged with a buddy below it, its header then being part of
// the merged block's area). Only free-list headers are read.
bool inside_free_block(void* area) {
  const std::uint32_t target = header_offset(area);
  for (int k = 0; k <= kMemMaxIndex; ++k) {
    const std::uint32_t head = mem_free_lists[k];
    if (head == 0) continue;
    std::uint32_t off = head;
    do {
      if (target >= off && target - off < (std::uint32_t{1} << k)) return true;
      off = mem_block_at(off)->next;
    } while (off != head);
  }
  return false;
}

bool all_free_and_merged() {
  return mem_check_free_lists() && mem_free_bytes() == mem_carved_bytes();
}

std::string record_message(const char* format, void* rec) {
  char text[80];
  std::snprintf(text, sizeof text, format, reinterpret_cast<unsigned long>(rec));
  return text;
}

// Content patterns: sampled positions of an area get bytes derived from a seed.
bool sampled(std::size_t i, std::size_t size) {
  return i < 256 || i + 256 >= size || i % 509 == 0;
}
unsigned char pattern(std::size_t i, unsigned seed) {
  return static_cast<unsigned char>(seed * 131 + i * 7 + (i >> 9));
}
void fill(void* area, std::size_t size, unsigned seed) {
  auto* p = static_cast<unsigned char*>(area);
  for (std::size_t i = 0; i < size; ++i) {
    if (sampled(i, size)) p[i] = pattern(i, seed);
  }
}
// Checks the first n bytes of an area filled for `written` bytes.
bool holds(const void* area, std::size_t n, unsigned seed, std::size_t written) {
  auto* p = static_cast<const unsigned char*>(area);
  for (std::size_t i = 0; i < n; ++i) {
    if (sampled(i, written) && p[i] != pattern(i, seed)) return false;
  }
  return true;
}
bool holds(const void* area, std::size_t size, unsigned seed) {
  return holds(area, size, seed, size);
}

TEST_F(Mem, SizeClassesOfRequests) {
  EXPECT_EQ(block_size_index(0), -1);
  EXPECT_EQ(block_size_index(1), 5);
  EXPECT_EQ(block_size_index(8), 5);
  EXPECT_EQ(block_size_index(9), 6);
  EXPECT_EQ(block_size_index(40), 6);
  EXPECT_EQ(block_size_index(41), 7);
  EXPECT_EQ(block_size_index(4072), 12);
  EXPECT_EQ(block_size_index(4073), 13);
  EXPECT_EQ(block_size_index(kMemMaxArea), 30);
  EXPECT_EQ(mem_get_block(0), nullptr);

  const std::size_t sizes[] = {1, 8, 9, 1000, 4072, 4073};
  for (std::size_t size : sizes) {
    void* area = mem_get_block(size);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(header(area)->in_use, 1u);
    EXPECT_EQ(static_cast<int>(header(area)->size_index), block_size_index(size)) << size;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(area) % 8, 0u);
    std::memset(area, 0xA5, size);
    mem_free_block(area);
    EXPECT_EQ(header(area)->in_use, 0u);
  }
  EXPECT_TRUE(mem_check_free_lists());
  EXPECT_STREQ(mem_version(), "1.0");
}

void first_segment() {
  REQUIRE(mem_region_base == nullptr && mem_allocation() == 0 && nonempty_lists() == 0);
  void* a = mem_get_block(1);
  REQUIRE(mem_region_base != nullptr);
  REQUIRE(mem_allocation() == 32768 + 8);
  REQUIRE(mem_carved_bytes() == 32768);
  REQUIRE(header_offset(a) == 8);  // right after the segment record at offset 0
  REQUIRE(nonempty_lists() == classes(5, 14));
  for (int k = 5; k <= 14; ++k)
    REQUIRE(mem_free_list_length(k) == 1);
  REQUIRE(mem_check_free_lists());
  mem_free_block(a);
  REQUIRE(nonempty_lists() == classes(15, 15));
  REQUIRE(all_free_and_merged());
  REQUIRE(mem_allocation() == 32768 + 8);
}

TEST_F(Mem, FirstRequestSplitsOneSegment) {
  EXPECT_IN_FRESH_PROCESS(first_segment);
}

void buddy_merge_chain() {
  void* a = mem_get_block(1);
  void* b = mem_get_block(8);
  void* c = mem_get_block(2);
  REQUIRE(header_offset(b) == header_offset(a) + 32);
  REQUIRE(header_offset(c) == header_offset(a) + 64);
  // a and b merge into a 64-byte block whose buddy holds c: the merge stops there.
  mem_free_block(b);
  mem_free_block(a);
  REQUIRE(header(a)->size_index == 6 && header(a)->in_use == 0);
  REQUIRE(nonempty_lists() == classes(5, 14));
  REQUIRE(mem_check_free_lists());
  // Freeing c completes every level up to the whole segment.
  mem_free_block(c);
  REQUIRE(nonempty_lists() == classes(15, 15));
  REQUIRE(header(a)->size_index == 15);
  REQUIRE(all_free_and_merged());
}

TEST_F(Mem, FreedBuddiesMergeUpTheChain) {
  EXPECT_IN_FRESH_PROCESS(buddy_merge_chain);
}

void resize_in_place() {
  char* p = static_cast<char*>(mem_get_block(1000));
  fill(p, 1000, 1);
  REQUIRE(mem_resize_block(p, 100) == p);
  REQUIRE(header(p)->size_index == 7);
  REQUIRE(nonempty_lists() == classes(7, 14));
  REQUIRE(holds(p, 100, 1, 1000));
  REQUIRE(mem_check_free_lists());
  // Upper buddies of 128, 256 and 512 bytes are free: growing absorbs them.
  REQUIRE(mem_resize_block(p, 1000) == p);
  REQUIRE(header(p)->size_index == 10);
  REQUIRE(mem_resize_block(p, 4000) == p);
  REQUIRE(header(p)->size_index == 12);
  REQUIRE(holds(p, 100, 1, 1000));
  REQUIRE(nonempty_lists() == classes(12, 14));
  // Same class: nothing moves.
  REQUIRE(mem_resize_block(p, 3000) == p && header(p)->size_index == 12);
  REQUIRE(mem_check_free_lists());
}

TEST_F(Mem, ResizeShrinksAndGrowsInPlace) {
  EXPECT_IN_FRESH_PROCESS(resize_in_place);
}

void resize_with_copy() {
  // p (1024 bytes) has a free upper buddy of 1024 bytes, then a used 2048-byte block r.
  char* p = static_cast<char*>(mem_get_block(1000));
  void* r = mem_get_block(2000);
  REQUIRE(header_offset(r) == header_offset(p) + 2048);
  fill(p, 1000, 2);
  char* q = static_cast<char*>(mem_resize_block(p, 4000));
  REQUIRE(q != p);
  REQUIRE(header(q)->size_index == 12 && header(q)->in_use == 1);
  REQUIRE(holds(q, 1000, 2));
  // The old block left with the buddy it had absorbed before the move failed.
  REQUIRE(header(p)->in_use == 0 && header(p)->size_index == 11);
  REQUIRE(mem_check_free_lists());
  mem_free_block(r);
  mem_free_block(q);
  REQUIRE(all_free_and_merged());
}

TEST_F(Mem, ResizeCopiesWhenItCannotGrowInPlace) {
  EXPECT_IN_FRESH_PROCESS(resize_with_copy);
}

TEST_F(Mem, ResizeOfNullAndToZero) {
  void* p = mem_resize_block(nullptr, 100);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(header(p)->size_index, 7u);
  EXPECT_EQ(header(p)->in_use, 1u);
  EXPECT_EQ(mem_resize_block(p, 0), nullptr);
  EXPECT_EQ(header(p)->in_use, 0u);
  EXPECT_EQ(mem_resize_block(nullptr, 0), nullptr);
  mem_free_block(nullptr);
  EXPECT_TRUE(mem_check_free_lists());
}

void growth_and_segments() {
  mem_get_block(1);
  REQUIRE(mem_allocation() == 32768 + 8);
  mem_get_block(16384 - 24);  // the last 16384-byte half: no growth
  REQUIRE(mem_allocation() == 32768 + 8);
  // The segment is extended at its end.
  void* b15 = mem_get_block(32768 - 24);
  REQUIRE(mem_allocation() == 2 * 32768 + 8);
  REQUIRE(header_offset(b15) == 8 + 32768);
  // Extension pads the limit (65536) up to a multiple of 2^17 first.
  void* b17 = mem_get_block((1 << 17) - 24);
  REQUIRE(mem_allocation() == 2 * 32768 + 8 + 65536 + (1 << 17));
  REQUIRE(header_offset(b17) == 8 + (1 << 17));
  REQUIRE(mem_free_list_length(16) == 1);
  // A segment cannot exceed 2^30 bytes: the largest class starts a new one.
  long before = mem_allocation();
  char* big = static_cast<char*>(mem_get_block(kMemMaxArea));
  REQUIRE(big != nullptr && header(big)->size_index == 30);
  REQUIRE(mem_allocation() == before + (1L << 30) + 8);
  REQUIRE(header_offset(big) == 8 + (1u << 18) + 8);
  big[0] = 1;
  big[kMemMaxArea - 1] = 2;
  REQUIRE(mem_carved_bytes() == mem_allocation() - 16);
  REQUIRE(mem_check_free_lists());
  mem_free_block(big);
  REQUIRE(mem_free_list_length(30) == 1);
  // Halves split in the second segment merge back in either order.
  void* low = mem_get_block((1 << 29) - 24);
  void* high = mem_get_block((1 << 29) - 24);
  REQUIRE(header_offset(high) == header_offset(low) + (1u << 29));
  REQUIRE(mem_check_free_lists());
  mem_free_block(low);
  mem_free_block(high);
  REQUIRE(mem_free_list_length(30) == 1);
  REQUIRE(mem_check_free_lists());
  // Small requests still come from the free lists, not from the system.
  mem_get_block(100);
  REQUIRE(mem_allocation() == before + (1L << 30) + 8);
}

TEST_F(Mem, GrowthExtendsOrStartsSegments) {
  EXPECT_IN_FRESH_PROCESS(growth_and_segments);
}

void carve_merges() {
  mem_free_block(mem_get_block(1));  // leaves one free 32768-byte block at the start
  // Growing for 65536 bytes pads the segment by 32768 bytes first: that piece
  // merges with the free block below it, and so does the next one.
  void* p = mem_get_block(65536 - 24);
  REQUIRE(mem_allocation() == 32768 + 8 + 32768 + 65536);
  REQUIRE(header_offset(p) == 8);
  REQUIRE(nonempty_lists() == classes(16, 16));
  REQUIRE(mem_check_free_lists());
  mem_free_block(p);
  REQUIRE(nonempty_lists() == classes(17, 17));
}

TEST_F(Mem, CarvedPiecesMergeWithFreeBuddies) {
  EXPECT_IN_FRESH_PROCESS(carve_merges);
}

void exhaust_region() {
  for (int i = 0; i < 8; ++i)
    mem_get_block(kMemMaxArea);
}

TEST_F(Mem, FatalErrors) {
  EXPECT_MEM_FATAL(mem_get_block(kMemMaxArea + 1), "block_size_index: block size too large");
  EXPECT_MEM_FATAL(mem_resize_block(mem_get_block(8), kMemMaxArea + 1),
                   "block_size_index: block size too large");
  EXPECT_MEM_FATAL(mem_new_rec_mgr(4065), "mem_new_rec_mgr: record size too large");
  EXPECT_MEM_FATAL(exhaust_region(), "mem_get_block: allocation failed");
}

void free_twice() {
  void* p = mem_get_block(8);
  mem_free_block(p);
  mem_free_block(p);
}
void resize_freed() {
  void* p = mem_get_block(8);
  mem_free_block(p);
  mem_resize_block(p, 100);
}
void* corrupt_block() {
  void* p = mem_get_block(8);
  header(p)->size_index = 31;
  return p;
}

TEST_F(Mem, BadBlockHeadersAreFatal) {
  EXPECT_MEM_FATAL(free_twice(), "mem_free_block: block not in use");
  EXPECT_MEM_FATAL(resize_freed(), "mem_resize_block: block not in use");
  EXPECT_MEM_FATAL(mem_free_block(corrupt_block()), "mem_free_block: invalid block header");
  EXPECT_MEM_FATAL(mem_resize_block(corrupt_block(), 8), "mem_resize_block: invalid block header");
}

TEST_F(Mem, RecordManagerSizes) {
  struct Case {
    int asked, size, per_pool;
  };
  const Case cases[] = {{-3, 8, 508},  {1, 8, 508},  {8, 8, 508},    {9, 16, 254},
                        {20, 24, 169}, {64, 64, 63}, {4064, 4064, 1}};
  for (const Case& c : cases) {
    mem_rec_mgr mgr = mem_new_rec_mgr(c.asked);
    EXPECT_EQ(header(mgr)->size_index, 6u);  // a 16-byte block
    EXPECT_EQ(static_cast<int>(mgr->rec_size), c.size) << c.asked;
    EXPECT_EQ(static_cast<int>(mgr->per_pool), c.per_pool) << c.asked;
    mem_free_rec_mgr(mgr);
  }
}

TEST_F(Mem, RecordsFillPoolBlocksInAddressOrder) {
  const int sizes[] = {1, 20};
  for (int asked : sizes) {
    mem_rec_mgr mgr = mem_new_rec_mgr(asked);
    const std::size_t size = mgr->rec_size;
    const std::uint32_t per_pool = mgr->per_pool;
    char* first = static_cast<char*>(mem_new_rec(mgr));
    char* pool = first - 8;
    EXPECT_EQ(header(pool)->size_index, 12u);
    EXPECT_EQ(header(pool)->in_use, 1u);
    EXPECT_EQ(words(first)[1], kRecInUseMarker);
    EXPECT_EQ(words(first + size)[1], kRecFreeMarker);  // not handed out yet
    for (std::uint32_t i = 1; i < per_pool; ++i) {
      char* rec = static_cast<char*>(mem_new_rec(mgr));
      ASSERT_EQ(rec, first + i * size) << "record " << i << " of size " << size;
    }
    EXPECT_LE(per_pool * size + 8, 4072u);
    char* next = static_cast<char*>(mem_new_rec(mgr));
    EXPECT_NE(next - 8, pool);
    EXPECT_EQ(header(next - 8)->size_index, 12u);
    // Freed records come back first, carrying the free marker meanwhile.
    mem_free_rec(mgr, first + size);
    EXPECT_EQ(words(first + size)[1], kRecFreeMarker);
    EXPECT_EQ(mem_new_rec(mgr), first + size);
    mem_free_rec_mgr(mgr);
    EXPECT_TRUE(inside_free_block(pool));
    EXPECT_TRUE(inside_free_block(next - 8));
  }
  EXPECT_TRUE(mem_check_free_lists());
}

// Under AddressSanitizer a freed block's area is poisoned: a read after the
// free is reported there, also once its buddy has merged with it, and the area
// is readable again when handed out anew.
TEST_F(Mem, FreedAreasArePoisonedUnderTheSanitizer) {
#if defined(__SANITIZE_ADDRESS__)
  char* a = static_cast<char*>(mem_get_block(100));
  char* b = static_cast<char*>(mem_get_block(100));
  a[0] = 1;
  b[99] = 2;
  mem_free_block(b);
  EXPECT_DEATH({ std::printf("%d\n", *static_cast<volatile char*>(b + 99)); }, "use-after-poison");
  mem_free_block(a);
  EXPECT_DEATH({ std::printf("%d\n", *static_cast<volatile char*>(a)); }, "use-after-poison");
  char* c = static_cast<char*>(mem_get_block(4000));
  std::memset(c, 3, 4000);
  EXPECT_EQ(c[3999], 3);
  mem_free_block(c);
#else
  GTEST_SKIP() << "built without AddressSanitizer";
#endif
}

TEST_F(Mem, RecordMarkerWarnings) {
  mem_rec_mgr mgr = mem_new_rec_mgr(24);
  void* r = mem_new_rec(mgr);
  void* s = mem_new_rec(mgr);
  mem_free_rec(mgr, s);
  mem_free_rec(mgr, r);
  ::testing::internal::CaptureStderr();
  mem_free_rec(mgr, r);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            record_message("record at 0x%lx may already be freed\n", r));
  // The second free was refused: r stands once in the free list.
  EXPECT_EQ(mem_new_rec(mgr), r);
  EXPECT_EQ(mem_new_rec(mgr), s);

  // A free record whose marker was overwritten is reported, then handed out.
  mem_free_rec(mgr, s);
  words(s)[1] = 7;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(mem_new_rec(mgr), s);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            record_message("record at 0x%lx may be in use\n", s));
  mem_free_rec_mgr(mgr);
}

void record_manager_release() {
  mem_rec_mgr mgr = mem_new_rec_mgr(24);
  for (int i = 0; i < 1000; ++i)
    mem_new_rec(mgr);
  long total = mem_allocation();
  mem_free_rec_mgr(mgr);
  REQUIRE(all_free_and_merged());
  REQUIRE(mem_allocation() == total);
}

TEST_F(Mem, FreeingARecordManagerReturnsItsPools) {
  EXPECT_IN_FRESH_PROCESS(record_manager_release);
}

struct LiveBlock {
  std::size_t size;
  unsigned seed;
};

std::size_t random_size(std::mt19937& rng) {
  unsigned kind = rng() % 1000;
  if (kind < 600) return 1 + rng() % 256;
  if (kind < 900) return 257 + rng() % 8000;
  if (kind < 995) return 8257 + rng() % 200000;
  return 200000 + rng() % 3000000;
}

// Checks that a new block overlaps neither neighbour among the live ones.
bool disjoint(const std::map<char*, LiveBlock>& live, char* area, std::size_t size) {
  auto after = live.lower_bound(area);
  if (after != live.end() && area + size > after->first) return false;
  if (after == live.begin()) return true;
  auto before = std::prev(after);
  return before->first + before->second.size <= area;
}

void stress() {
  std::mt19937 rng(20240611);
  std::map<char*, LiveBlock> live;
  std::vector<char*> order;  // live areas, for random picks
  mem_rec_mgr mgrs[] = {mem_new_rec_mgr(8), mem_new_rec_mgr(24), mem_new_rec_mgr(40),
                        mem_new_rec_mgr(64)};
  std::vector<std::pair<void*, unsigned>> recs[4];
  unsigned next_seed = 1;
  int largest_class = 0;

  auto pick = [&]() {
    std::size_t i = rng() % order.size();
    std::swap(order[i], order.back());
    return order.back();
  };
  for (int step = 0; step < 20000; ++step) {
    unsigned op = rng() % 10;
    if (order.size() > 500) op = 5;
    if (op < 4 || order.empty()) {
      std::size_t size = random_size(rng);
      char* area = static_cast<char*>(mem_get_block(size));
      REQUIRE(header(area)->in_use == 1);
      REQUIRE(static_cast<int>(header(area)->size_index) == block_size_index(size));
      REQUIRE(disjoint(live, area, size));
      largest_class = std::max(largest_class, block_size_index(size));
      fill(area, size, next_seed);
      live[area] = {size, next_seed++};
      order.push_back(area);
    } else if (op < 7) {
      char* area = pick();
      REQUIRE(holds(area, live[area].size, live[area].seed));
      mem_free_block(area);
      live.erase(area);
      order.pop_back();
    } else if (op < 8) {
      char* area = pick();
      LiveBlock old = live[area];
      std::size_t size = random_size(rng);
      live.erase(area);
      char* moved = static_cast<char*>(mem_resize_block(area, size));
      REQUIRE(holds(moved, std::min(old.size, size), old.seed, old.size));
      REQUIRE(disjoint(live, moved, size));
      largest_class = std::max(largest_class, block_size_index(size));
      fill(moved, size, next_seed);
      live[moved] = {size, next_seed++};
      order.back() = moved;
    } else {
      int m = static_cast<int>(rng() % 4);
      std::size_t size = mgrs[m]->rec_size;
      if (rng() % 3 != 0 || recs[m].empty()) {
        void* rec = mem_new_rec(mgrs[m]);
        fill(rec, size, next_seed);
        recs[m].push_back({rec, next_seed++});
      } else {
        std::size_t i = rng() % recs[m].size();
        std::swap(recs[m][i], recs[m].back());
        REQUIRE(holds(recs[m].back().first, size, recs[m].back().second));
        mem_free_rec(mgrs[m], recs[m].back().first);
        recs[m].pop_back();
      }
    }
    if (step % 1000 == 0) REQUIRE(mem_check_free_lists());
  }

  for (int m = 0; m < 4; ++m) {
    for (auto& rec : recs[m]) {
      REQUIRE(holds(rec.first, mgrs[m]->rec_size, rec.second));
      mem_free_rec(mgrs[m], rec.first);
    }
    mem_free_rec_mgr(mgrs[m]);
  }
  for (auto& entry : live) {
    REQUIRE(holds(entry.first, entry.second.size, entry.second.seed));
    mem_free_block(entry.first);
  }
  REQUIRE(all_free_and_merged());
  int top = kMemMaxIndex;
  while (top > 0 && mem_free_list_length(top) == 0)
    --top;
  REQUIRE(top >= largest_class);
  long total = mem_allocation();
  mem_get_block((std::size_t{1} << top) - kMemHeaderSize);
  REQUIRE(mem_allocation() == total);
}

TEST_F(Mem, RandomizedStressMergesBackWhenAllIsFreed) {
  EXPECT_IN_FRESH_PROCESS(stress);
}

}  // namespace
