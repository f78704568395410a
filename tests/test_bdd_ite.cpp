// Tests of if-then-else, the connectives, the single-handle queries and the
// operation cache of the BDD engine.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/test_bdd_fixture.h"

namespace {

class BddIte : public BddTest {
 protected:
  std::uint32_t bits_of(bdd f, int n) {
    std::uint32_t bits = 0;
    for (std::uint32_t a = 0; a < (1u << n); ++a)
      bits |= static_cast<std::uint32_t>(eval(f, a)) << a;
    return bits;
  }
  // The bucket of a three-key entry.
  cache_bucket& bucket_of(std::uint32_t k0, std::uint32_t k1, std::uint32_t k2) {
    return *bdd_cache_bucket_of(m, bdd_hash3(k0, k1, k2));
  }
};

TEST_F(BddIte, ConnectivesMatchTruthTablesOnAllTwoVariableFunctions) {
  vars(2);
  std::vector<bdd> fs;
  for (std::uint32_t bits = 0; bits < 16; ++bits)
    fs.push_back(from_table(bits, 2));
  for (std::uint32_t a = 0; a < 16; ++a) {
    EXPECT_EQ(bits_of(fs[a], 2), a);
    for (std::uint32_t b = 0; b < 16; ++b) {
      struct {
        bdd r;
        std::uint32_t want;
      } cases[] = {
          {bdd_and(m, fs[a], fs[b]), a & b},          {bdd_or(m, fs[a], fs[b]), a | b},
          {bdd_xor(m, fs[a], fs[b]), a ^ b},          {bdd_nand(m, fs[a], fs[b]), ~(a & b) & 15u},
          {bdd_nor(m, fs[a], fs[b]), ~(a | b) & 15u}, {bdd_xnor(m, fs[a], fs[b]), ~(a ^ b) & 15u},
      };
      for (auto& c : cases) {
        EXPECT_EQ(c.r, fs[c.want]) << "a=" << a << " b=" << b << " want=" << c.want;
        bdd_free(m, c.r);
      }
      for (std::uint32_t h = 0; h < 16; ++h) {
        bdd r = bdd_ite(m, fs[a], fs[b], fs[h]);
        EXPECT_EQ(r, fs[(a & b) | (~a & h & 15u)]) << a << " " << b << " " << h;
        bdd_free(m, r);
      }
    }
  }
  for (bdd f : fs)
    bdd_free(m, f);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), 3);  // only the constant and the two literals remain
}

TEST_F(BddIte, RandomFunctionsOfFiveVariables) {
  vars(5);
  std::mt19937 rng(12345);
  for (int round = 0; round < 60; ++round) {
    std::uint32_t a = rng(), b = rng(), c = rng();
    bdd f = from_table(a, 5), g = from_table(b, 5), h = from_table(c, 5);
    bdd r = bdd_ite(m, f, g, h);
    EXPECT_EQ(bits_of(r, 5), (a & b) | (~a & c));
    bdd s = bdd_xnor(m, f, bdd_not(m, g));
    bdd_free(m, g);  // the reference bdd_not took
    EXPECT_EQ(bits_of(s, 5), a ^ b);
    for (bdd x : {f, g, h, r, s})
      bdd_free(m, x);
  }
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), 6);
}

// The one-node path (operands below the variable) and the if-then-else path
// (operands reaching it or above it) against bdd_ite, with collections
// between; halfway, a variable inserted first shifts every index by one.
TEST_F(BddIte, VariableIteMatchesIte) {
  vars(5);
  std::mt19937 rng(777);
  int shift = 0;
  for (int round = 0; round < 400; ++round) {
    if (round == 200) {
      bdd_new_var_first(m);
      shift = 1;
    }
    if (round % 25 == 0) bdd_gc(m);
    const int k = static_cast<int>(rng() % 5);
    // Below: tables that read only the variables after k.
    const bool below = (rng() & 1) != 0;
    std::uint32_t tables[2];
    for (std::uint32_t& bits : tables) {
      const std::uint32_t free = rng();
      bits = 0;
      for (std::uint32_t a = 0; a < 32; ++a) {
        const std::uint32_t at = below ? a >> (k + 1) : a;
        bits |= ((free >> at) & 1u) << a;
      }
    }
    bdd t = from_table(tables[0], 5), e = from_table(tables[1], 5);
    if (rng() % 7 == 0) {
      bdd_free(m, e);
      e = (rng() & 1) ? bdd_one(m) : bdd_zero(m);
    }
    bdd r = bdd_var_ite(m, k + shift, t, e);
    bdd expected = bdd_ite(m, x[k], t, e);
    EXPECT_EQ(r, expected) << "round " << round;
    // Bit a: the value where x[i] takes bit i of a (x[i] has index i + shift).
    auto bits = [&](bdd f) {
      std::uint32_t b = 0;
      for (std::uint32_t a = 0; a < 32; ++a)
        b |= static_cast<std::uint32_t>(eval(f, std::uint64_t{a} << shift)) << a;
      return b;
    };
    const std::uint32_t e_bits = bits(e);
    std::uint32_t want = 0;
    for (std::uint32_t a = 0; a < 32; ++a)
      want |= ((a >> k) & 1u ? (tables[0] >> a) & 1u : (e_bits >> a) & 1u) << a;
    EXPECT_EQ(bits(r), want);
    for (bdd f : {t, e, r, expected})
      bdd_free(m, f);
  }
  EXPECT_EQ(bdd_var_ite(m, 99, x[0], x[1]), 0u);
}

TEST_F(BddIte, IdentitiesOfTheConnectives) {
  vars(3);
  bdd f = bdd_or(m, x[0], x[1]);
  bdd g = bdd_and(m, x[1], x[2]);
  bdd one = bdd_one(m), zero = bdd_zero(m);
  bdd nf = f ^ 1u;
  EXPECT_EQ(bdd_debug_refs(f), 1);

  EXPECT_EQ(bdd_and(m, f, zero), zero);
  EXPECT_EQ(bdd_and(m, f, nf), zero);
  EXPECT_EQ(bdd_and(m, f, one), f);
  EXPECT_EQ(bdd_debug_refs(f), 2);
  EXPECT_EQ(bdd_and(m, f, f), f);
  EXPECT_EQ(bdd_debug_refs(f), 3);
  EXPECT_EQ(bdd_or(m, f, nf), one);
  EXPECT_EQ(bdd_xnor(m, f, f), one);
  EXPECT_EQ(bdd_xor(m, f, f), zero);
  EXPECT_EQ(bdd_ite(m, f, one, zero), f);
  EXPECT_EQ(bdd_ite(m, f, zero, one), nf);
  EXPECT_EQ(bdd_ite(m, f, g, g), g);
  EXPECT_EQ(bdd_debug_refs(f), 5);
  EXPECT_EQ(bdd_debug_refs(g), 2);
  EXPECT_EQ(bdd_ite(m, one, f, g), f);
  EXPECT_EQ(bdd_ite(m, zero, f, g), g);
  // Arguments equal to the condition become constants.
  EXPECT_EQ(bdd_ite(m, f, f, nf), one);
  EXPECT_EQ(bdd_ite(m, f, nf, f), zero);
  bdd r = bdd_ite(m, f, f, g);  // f or g
  bdd want = bdd_or(m, f, g);
  EXPECT_EQ(r, want);
  for (int i = 0; i < 6; ++i)
    bdd_free(m, f);
  for (int i = 0; i < 3; ++i)
    bdd_free(m, g);
  bdd_free(m, r);
  bdd_free(m, want);
  EXPECT_EQ(bdd_debug_refs(f), 0);
  EXPECT_EQ(bdd_debug_refs(g), 0);
}

TEST_F(BddIte, NullArgumentsGiveNull) {
  vars(1);
  EXPECT_EQ(bdd_and(m, 0, x[0]), 0u);
  EXPECT_EQ(bdd_or(m, x[0], 0), 0u);
  EXPECT_EQ(bdd_nand(m, x[0], 0), 0u);
  EXPECT_EQ(bdd_xnor(m, 0, 0), 0u);
  EXPECT_EQ(bdd_ite(m, x[0], 0, x[0]), 0u);
  EXPECT_EQ(bdd_identity(m, 0), 0u);
  EXPECT_EQ(bdd_then(m, 0), 0u);
  EXPECT_EQ(bdd_if(m, 0), 0u);
  EXPECT_EQ(bdd_if_index(m, 0), -1);
  EXPECT_EQ(bdd_if_id(m, 0), -1);
}

TEST_F(BddIte, CommutedAndEquivalentCallsHitTheSameEntry) {
  vars(2);
  bdd a = bdd_and(m, x[1], x[0]);
  long hits = m->cache_hits;
  long size = bdd_total_size(m);
  bdd b = bdd_and(m, x[0], x[1]);
  EXPECT_EQ(m->cache_hits, hits + 1);
  bdd c = bdd_ite(m, x[0], x[1], bdd_zero(m));
  EXPECT_EQ(m->cache_hits, hits + 2);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, c);
  EXPECT_EQ(bdd_total_size(m), size);
  // ite(!x0, zero, x1) is x0 and x1 again: the same entry.
  bdd d = bdd_ite(m, x[0] ^ 1u, bdd_zero(m), x[1]);
  EXPECT_EQ(m->cache_hits, hits + 3);
  EXPECT_EQ(d, a);
  // The equivalence and its negation share one entry.
  bdd e = bdd_xnor(m, x[0], x[1]);
  long hits_before = m->cache_hits;
  bdd f = bdd_ite(m, x[0], x[1] ^ 1u, x[1]);
  EXPECT_EQ(m->cache_hits, hits_before + 1);
  EXPECT_EQ(f, e ^ 1u);
  bdd_free(m, f);
  for (bdd f : {a, b, c, d, e})
    bdd_free(m, f);
}

// A conjunction or if-then-else whose result is one of its operands returns
// that operand at every level of the recursion without looking up any node.
TEST_F(BddIte, ResultsEqualToAnOperandNeedNoNodeLookup) {
  vars(8);
  bdd f = bdd_identity(m, bdd_zero(m));
  for (int i = 0; i < 6; i += 2) {
    bdd p = bdd_and(m, x[i], x[i + 1]);
    bdd next = bdd_or(m, f, p);
    bdd_free(m, p);
    bdd_free(m, f);
    f = next;
  }
  bdd p = bdd_and(m, x[6], x[7]);
  bdd g = bdd_or(m, f, p);  // f implies g
  bdd_free(m, p);

  long finds = m->find_count;
  long lookups = m->cache_lookups;
  bdd r = bdd_and(m, g, f);
  EXPECT_EQ(r, f);
  EXPECT_GT(m->cache_lookups, lookups + 5);  // the recursion went down
  EXPECT_EQ(m->find_count, finds);

  // x6 ? g : f is g: g and f differ only where x6 holds.
  finds = m->find_count;
  lookups = m->cache_lookups;
  bdd s = bdd_ite(m, x[6], g, f);
  EXPECT_EQ(s, g);
  EXPECT_GT(m->cache_lookups, lookups + 5);
  EXPECT_EQ(m->find_count, finds);

  // Complemented: not g and not f is not g.
  bdd t = bdd_and(m, g ^ 1u, f ^ 1u);
  EXPECT_EQ(t, g ^ 1u);
  for (bdd h : {f, g, r, s, t})
    bdd_free(m, h);
}

TEST_F(BddIte, SingleHandleQueries) {
  vars(3);
  bdd nx = bdd_not(m, x[0]);
  EXPECT_EQ(bdd_type(m, 0), BDD_TYPE_OVERFLOW);
  EXPECT_EQ(bdd_type(m, bdd_one(m)), BDD_TYPE_ONE);
  EXPECT_EQ(bdd_type(m, bdd_zero(m)), BDD_TYPE_ZERO);
  EXPECT_EQ(bdd_type(m, x[0]), BDD_TYPE_POSVAR);
  EXPECT_EQ(bdd_type(m, nx), BDD_TYPE_NEGVAR);
  EXPECT_EQ(bdd_then(m, nx), bdd_zero(m));
  EXPECT_EQ(bdd_else(m, nx), bdd_one(m));
  EXPECT_EQ(bdd_if_index(m, bdd_one(m)), -1);
  EXPECT_EQ(bdd_if_id(m, bdd_zero(m)), -1);

  bdd f = bdd_ite(m, x[1], x[2], x[2] ^ 1u);  // x1 xnor x2
  bdd nf = f ^ 1u;
  EXPECT_EQ(bdd_type(m, f), BDD_TYPE_NONTERMINAL);
  EXPECT_EQ(bdd_if(m, nf), x[1]);
  EXPECT_EQ(bdd_if_index(m, nf), 1);
  EXPECT_EQ(bdd_if_id(m, nf), bdd_if_id(m, x[1]));
  bdd t = bdd_then(m, nf);
  bdd e = bdd_else(m, nf);
  EXPECT_EQ(t, x[2] ^ 1u);
  EXPECT_EQ(e, x[2]);
  EXPECT_EQ(bdd_debug_refs(f), 1);

  bdd g = bdd_and(m, x[0], f);
  bdd gt = bdd_then(m, g);
  EXPECT_EQ(gt, f);
  EXPECT_EQ(bdd_debug_refs(f), 2);
  bdd_free(m, gt);
  bdd_free(m, g);
  bdd_free(m, f);
}

TEST_F(BddIte, ConstantArgumentsWarn) {
  bdd one = bdd_one(m);
  struct {
    bdd (*fn)(bdd_manager, bdd);
    const char* text;
  } cases[] = {{bdd_then, "bdd_then: argument is a constant"},
               {bdd_else, "bdd_else: argument is a constant"},
               {bdd_if, "bdd_if: argument is a constant"}};
  for (auto& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.fn(m, one), one);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("BDD library: warning: ") + c.text + "\n");
  }
}

// The conjunction and equivalence steps probe the cache before they look at
// any node: a terminal other than the constants must still be recognised,
// before and after results for the same operands are cached.
TEST_F(BddIte, OtherTerminalsInConjunctionAndEquivalenceSteps) {
  vars(2);
  bdd f = bdd_and(m, x[0], x[1]);
  bdd t = bdd_find_terminal(m, 7, 9);
  bdd u = bdd_find_terminal(m, -3, 4);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(bdd_and_step(m, t, f), f);  // any other terminal acts as true
    EXPECT_EQ(bdd_and_step(m, f, t), f);
    EXPECT_EQ(bdd_and_step(m, t, u), u);  // the first operand is tested first
    EXPECT_EQ(bdd_and_step(m, u, t), t);
    EXPECT_EQ(bdd_and_step(m, t, m->zero), m->zero);
    EXPECT_EQ(bdd_xnor_step(m, t, f), f ^ 1u);  // and as false in an equivalence
    EXPECT_EQ(bdd_xnor_step(m, f, t), f ^ 1u);
    EXPECT_EQ(bdd_xnor_step(m, t, u), u ^ 1u);
    bdd g = bdd_and(m, f, x[1]);  // f itself, now also cached under (f, x1)
    bdd_free(m, g);
  }
  bdd_node(f)->temps = 0;
  bdd_node(t)->temps = 0;
  bdd_node(u)->temps = 0;
  bdd_free(m, f);
}

TEST_F(BddIte, CacheRatioIsClamped) {
  EXPECT_EQ(bdd_cache_ratio(m, 0), 4);
  EXPECT_EQ(m->cache_ratio, 1);
  EXPECT_EQ(bdd_cache_ratio(m, 100), 1);
  EXPECT_EQ(m->cache_ratio, 32);
  EXPECT_EQ(bdd_cache_ratio(m, -5), 32);
  EXPECT_EQ(bdd_cache_ratio(m, 7), 1);
  EXPECT_EQ(m->cache_ratio, 7);
}

TEST_F(BddIte, TwoSlotBucketsReplaceAndMoveToFront) {
  const std::uint32_t n = m->cache_bucket_count;
  const int tag = kCacheTagTwoData;  // data words only: nothing for a collection to test
  std::uint32_t r;
  bdd_insert_in_cache31(m, tag, 5, 0, 0, 50);
  bdd_insert_in_cache31(m, tag, 5 + n, 0, 0, 51);  // same bucket
  cache_bucket& b = bucket_of(5, 0, 0);
  EXPECT_EQ(b.e[0].w[3], 50u);  // a free slot 1 takes the newcomer
  EXPECT_EQ(b.e[1].w[3], 51u);
  EXPECT_EQ(m->cache_entries, 2);

  bdd_insert_in_cache31(m, tag, 5 + 2 * n, 0, 0, 52);
  EXPECT_EQ(m->cache_entries, 2);
  EXPECT_EQ(m->cache_collisions, 1);
  EXPECT_EQ(m->cache_insertions, 3);
  EXPECT_EQ(b.e[0].w[3], 52u);
  EXPECT_EQ(b.e[1].w[3], 50u);
  EXPECT_FALSE(bdd_lookup_in_cache31(m, tag, 5 + n, 0, 0, &r));

  // A hit in slot 1 moves the entry to the front.
  EXPECT_TRUE(bdd_lookup_in_cache31(m, tag, 5, 0, 0, &r));
  EXPECT_EQ(r, 50u);
  EXPECT_EQ(b.e[0].w[3], 50u);
  EXPECT_EQ(m->cache_hits, 1);
  EXPECT_EQ(m->cache_lookups, 2);

  // Under a raised protect depth the newcomer replaces slot 1 only.
  ++m->protect_depth;
  bdd_insert_in_cache31(m, tag, 5 + 3 * n, 0, 0, 53);
  --m->protect_depth;
  EXPECT_EQ(b.e[0].w[3], 50u);
  EXPECT_EQ(b.e[1].w[3], 53u);
  // Same keys under another tag do not match.
  EXPECT_FALSE(bdd_lookup_in_cache31(m, kCacheTagTwo, 5, 0, 0, &r));
}

TEST_F(BddIte, CacheGrowthKeepsEveryEntryReachable) {
  const int tag = kCacheTagTwoData;
  for (std::uint32_t k = 1; k <= 6000; ++k)
    bdd_insert_in_cache31(m, tag, k, 0, 0, k + 7);
  long entries = m->cache_entries;
  bdd_rehash_cache(m);
  EXPECT_EQ(m->cache_bucket_count, 23143u);
  EXPECT_EQ(m->cache_entries, entries);  // more buckets than entries: nothing pushed out
  for (std::uint32_t k = 1; k <= 6000; ++k) {
    std::uint32_t r = 0;
    ASSERT_TRUE(bdd_lookup_in_cache31(m, tag, k, 0, 0, &r)) << k;
    EXPECT_EQ(r, k + 7);
  }
}

TEST_F(BddIte, CacheGrowsWithTheNodeCount) {
  vars(16);
  // Many distinct live results: the check grows the cache when it fills up.
  std::vector<bdd> keep;
  std::mt19937 rng(7);
  for (int i = 0; i < 3000; ++i) {
    bdd a = bdd_xor(m, x[rng() % 16], x[rng() % 16]);
    bdd b = bdd_and(m, a, x[rng() % 16] ^ (rng() & 1u));
    bdd c = bdd_or(m, b, keep.empty() ? bdd_zero(m) : keep[rng() % keep.size()]);
    bdd_free(m, a);
    bdd_free(m, b);
    keep.push_back(c);
  }
  EXPECT_GT(m->cache_size_index, kCacheStartIndex);
  for (bdd f : keep)
    bdd_free(m, f);
}

int purged = 0;
void count_purge(bdd_manager, void*) {
  ++purged;
}
int returned = 0;
void count_return(bdd_manager, void*) {
  ++returned;
}

TEST_F(BddIte, UserCacheTags) {
  purged = returned = 0;
  int t4 = bdd_cache_functions(m, 2, nullptr, count_purge, count_return, nullptr);
  int t5 = bdd_cache_functions(m, 1, nullptr, nullptr, nullptr, nullptr);
  int t6 = bdd_cache_functions(m, 3, nullptr, nullptr, nullptr, nullptr);
  int t7 = bdd_cache_functions(m, 3, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(t4, 4);
  EXPECT_EQ(t5, 5);
  EXPECT_EQ(t6, 6);
  EXPECT_EQ(t7, 7);
  EXPECT_EQ(bdd_cache_functions(m, 1, nullptr, nullptr, nullptr, nullptr), -1);

  std::uint32_t a, b, c;
  bdd_insert_in_cache22(m, t4, 11, 12, 13, 14);
  bdd_insert_in_cache13(m, t5, 21, 22, 23, 24);
  ASSERT_TRUE(bdd_lookup_in_cache22(m, t4, 11, 12, &a, &b));
  EXPECT_EQ(a, 13u);
  EXPECT_EQ(b, 14u);
  EXPECT_EQ(returned, 1);
  ASSERT_TRUE(bdd_lookup_in_cache13(m, t5, 21, &a, &b, &c));
  EXPECT_EQ(a + b + c, 22u + 23u + 24u);
  EXPECT_FALSE(bdd_lookup_in_cache22(m, t4, 11, 13, &a, &b));

  // Freeing a tag removes its entries (purge function called) and frees the tag.
  bdd_free_cache_tag(m, t4);
  EXPECT_EQ(purged, 1);
  EXPECT_FALSE(bdd_lookup_in_cache22(m, t4, 11, 12, &a, &b));
  EXPECT_TRUE(bdd_lookup_in_cache13(m, t5, 21, &a, &b, &c));
  EXPECT_EQ(bdd_cache_functions(m, 2, nullptr, nullptr, nullptr, nullptr), 4);
}

TEST_F(BddIte, FatalCacheTagMisuse) {
  EXPECT_BDD_FATAL(bdd_cache_functions(m, 4, nullptr, nullptr, nullptr, nullptr),
                   "bdd_cache_functions: illegal number of cache arguments");
  EXPECT_BDD_FATAL(bdd_cache_functions(m, 0, nullptr, nullptr, nullptr, nullptr),
                   "bdd_cache_functions: illegal number of cache arguments");
  EXPECT_BDD_FATAL(bdd_free_cache_tag(m, 4), "bdd_free_cache_tag: attempt to free unallocated tag");
  EXPECT_BDD_FATAL(bdd_free_cache_tag(m, 1), "bdd_free_cache_tag: attempt to free unallocated tag");
  EXPECT_BDD_FATAL(bdd_free_cache_tag(m, 8), "bdd_free_cache_tag: attempt to free unallocated tag");
}

}  // namespace
