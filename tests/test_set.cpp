// Ordered integer set, its cursor and the list helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/list_util.h"
#include "support/set.h"

using tessaro::scanset;
using set_l = tessaro::set<long>;

static std::string text(const set_l& s) {
  std::ostringstream o;
  o << s;
  return o.str();
}

TEST(Set, KeepsAscendingOrderWithoutDuplicates) {
  set_l s;
  EXPECT_EQ(text(s), "{}");
  for (long v : {5, 1, 9, 5, 3, 1, -2})
    s.add(v);
  EXPECT_EQ(text(s), "{-2, 1, 3, 5, 9}");
  EXPECT_EQ(s.card(), 5);
  s.sup(5);
  s.sup(42);
  s.sup(-2);
  EXPECT_EQ(text(s), "{1, 3, 9}");
  EXPECT_EQ(s.card(), 3);
  EXPECT_TRUE(s.item_in(3));
  EXPECT_FALSE(s.item_in(5));
  EXPECT_FALSE(s.item_in(10));
}

TEST(Set, NthElementCountsFromOneAndGivesZeroPastTheEnd) {
  set_l s;
  for (long v : {30, 10, 20})
    s.add(v);
  EXPECT_EQ(s.item_ident(1), 10);
  EXPECT_EQ(s.item_ident(3), 30);
  EXPECT_EQ(s.item_ident(4), 0);
  EXPECT_EQ(s.item_ident(0), 0);
}

TEST(Set, NamedTextFormAndCopies) {
  set_l s("deps");
  s.add(2);
  s.add(1);
  EXPECT_EQ(text(s), "deps= {1, 2}");
  set_l copy = s;
  copy.add(7);
  EXPECT_EQ(text(s), "deps= {1, 2}");
  EXPECT_EQ(text(copy), "deps= {1, 2, 7}");
  s = copy;
  EXPECT_EQ(text(s), "deps= {1, 2, 7}");
}

TEST(Set, AgreesWithSortedReferenceOnRandomOperations) {
  std::mt19937 rng(7);
  set_l s;
  std::set<long> ref;
  for (int i = 0; i < 3000; ++i) {
    long v = static_cast<long>(rng() % 100) - 50;
    if (rng() % 3 == 0) {
      s.sup(v);
      ref.erase(v);
    } else {
      s.add(v);
      ref.insert(v);
    }
  }
  ASSERT_EQ(s.card(), static_cast<long>(ref.size()));
  long i = 1;
  for (long v : ref)
    EXPECT_EQ(s.item_ident(i++), v);
}

// Small sets sit inside the set and larger ones on the heap: random
// operations on a handful of sets that grow and shrink across that boundary,
// copied, moved and assigned into one another, each compared with a sorted
// vector after every step.
TEST(Set, SmallAndLargeSetsAgreeWithSortedVectorsThroughCopiesAndMoves) {
  std::mt19937 rng(19);
  constexpr int kSets = 6;
  std::vector<set_l> sets(kSets);
  std::vector<std::vector<long>> ref(kSets);
  auto contents = [](const set_l& s) {
    std::vector<long> items;
    scanset<long> c(s);
    for (c.first_item(); !c.last_item(); c.next_item())
      items.push_back(c.item());
    return items;
  };
  for (int step = 0; step < 20000; ++step) {
    const int a = static_cast<int>(rng() % kSets), b = static_cast<int>(rng() % kSets);
    const long v = static_cast<long>(rng() % 6);
    switch (rng() % 9) {
      case 0:
      case 1:
      case 2:
        sets[a].add(v);
        if (!std::binary_search(ref[a].begin(), ref[a].end(), v))
          ref[a].insert(std::lower_bound(ref[a].begin(), ref[a].end(), v), v);
        break;
      case 3:
        sets[a].sup(v);
        ref[a].erase(std::remove(ref[a].begin(), ref[a].end(), v), ref[a].end());
        break;
      case 4:
        sets[a] = sets[b];  // copy, also onto itself
        ref[a] = ref[b];
        break;
      case 5:
        if (a != b) {
          sets[a] = std::move(sets[b]);
          ref[a] = std::move(ref[b]);
          ref[b].clear();
          ASSERT_EQ(sets[b].card(), 0);
        }
        break;
      case 6: {
        set_l moved(std::move(sets[a]));
        set_l copied(moved);
        ASSERT_EQ(contents(moved), ref[a]);
        ASSERT_EQ(sets[a].card(), 0);
        sets[a] = copied;
        break;
      }
      case 7:
        if (rng() % 4 == 0) {
          sets[a].clear();
          ref[a].clear();
        }
        break;
      default: {
        std::vector<long> sorted;
        for (long x = 0; x < 6; ++x)
          if (rng() % 2) sorted.push_back(x);
        sets[a].assign_sorted(sorted);
        ref[a] = sorted;
        EXPECT_TRUE(sets[a].same_as(sorted));
        break;
      }
    }
    for (int k = 0; k < kSets; ++k) {
      ASSERT_EQ(contents(sets[k]), ref[k]) << "step " << step << ", set " << k;
      ASSERT_EQ(sets[k].card(), static_cast<long>(ref[k].size()));
      ASSERT_EQ(sets[k].item_in(v), std::binary_search(ref[k].begin(), ref[k].end(), v));
    }
  }
}

TEST(ScanSet, WalksInAscendingOrder) {
  set_l s;
  for (long v : {3, 1, 2})
    s.add(v);
  scanset<long> c(s);
  std::string seen;
  for (c.first_item(); !c.last_item(); c.next_item())
    seen += std::to_string(c.item());
  EXPECT_EQ(seen, "123");
}

TEST(ScanSet, SteppingPastTheEndOnlyWarns) {
  set_l s;
  s.add(1);
  scanset<long> c(s);
  c.next_item();
  testing::internal::CaptureStderr();
  c.next_item();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERREUR: mauvaise application des methodes next_item() et last_item()\n");
  EXPECT_TRUE(c.last_item());
}

TEST(ScanSetDeathTest, ReadingPastTheEndExitsWithStatusOne) {
  set_l s;
  scanset<long> c(s);
  EXPECT_EXIT(c.item(), testing::ExitedWithCode(1),
              "ERREUR: il n'y a plus d'element \n   ou vous utilisez mal first_item\\(\\) \n");
}

TEST(ListHelpers, PositionMembershipArrayAndPrinter) {
  std::list<std::string> l{"a", "b", "a"};
  EXPECT_EQ(tessaro::item_where(l, std::string("a")), 1);
  EXPECT_EQ(tessaro::item_where(l, std::string("b")), 2);
  EXPECT_EQ(tessaro::item_where(l, std::string("z")), 0);
  EXPECT_TRUE(tessaro::item_in(l, std::string("b")));
  EXPECT_FALSE(tessaro::item_in(l, std::string("c")));
  EXPECT_EQ(tessaro::item_where(l, "b"), 2);
  EXPECT_TRUE(tessaro::item_in(l, "a"));
  auto arr = tessaro::array_convert(l);
  ASSERT_EQ(arr.size(), 3u);
  EXPECT_EQ(arr[2], "a");
  std::ostringstream o;
  tessaro::print_list(o, l);
  EXPECT_EQ(o.str(), "(a, b, a)");
  std::ostringstream empty;
  tessaro::print_list(empty, std::list<int>{});
  EXPECT_EQ(empty.str(), "()");
}

// Ascending appends, inserts in front and removals of the largest element,
// mixed, as the dependence and upstream sets see them.
TEST(Set, AppendsAndRemovalsAtTheEndKeepTheOrder) {
  set_l s;
  std::set<long> ref;
  auto both_add = [&](long v) {
    s.add(v);
    ref.insert(v);
  };
  for (long v = 0; v < 50; v += 2)
    both_add(v);
  s.sup(48);
  ref.erase(48);
  both_add(47);
  both_add(-1);
  both_add(100);
  s.sup(100);
  ref.erase(100);
  both_add(99);
  EXPECT_FALSE(s.item_in(100));
  EXPECT_TRUE(s.item_in(99));
  ASSERT_EQ(s.card(), static_cast<long>(ref.size()));
  long i = 1;
  for (long v : ref)
    EXPECT_EQ(s.item_ident(i++), v);
  s.clear();
  EXPECT_EQ(text(s), "{}");
  s.add(3);
  EXPECT_EQ(text(s), "{3}");
}
