// Tests of the derived operations of the BDD engine: satisfying cubes,
// dependency and support, reduce and generalised cofactor, composition and
// substitution, intersection, satisfying fraction, marks and the text dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/test_bdd_fixture.h"

namespace {

constexpr int kVars = 6;

class BddDerived : public BddTest {
 protected:
  std::mt19937_64 rng{99};

  void SetUp() override {
    BddTest::SetUp();
    vars(kVars);
  }

  // Random function of the kVars variables, with its reference.
  bdd random_function() { return from_table(rng(), kVars); }

  // A non-zero random function (a random care set).
  bdd random_care() {
    for (;;) {
      bdd c = random_function();
      if (c != bdd_zero(m)) return c;
      bdd_free(m, c);
    }
  }

  // Random function that depends on none of the first lo variables of the
  // order, with its reference.
  bdd random_below(int lo) {
    const std::uint64_t r = rng();
    std::uint64_t bits = 0;
    for (std::uint64_t a = 0; a < (1u << kVars); ++a)
      bits |= ((r >> (a >> lo)) & 1u) << a;
    return from_table(bits, kVars);
  }

  // The cofactors of f for the variable at index i, with their references.
  std::pair<bdd, bdd> split_at(bdd f, unsigned i) {
    if (!bdd_is_terminal(f) && bdd_index_of(m, f) == i) return {bdd_then(m, f), bdd_else(m, f)};
    return {bdd_identity(m, f), bdd_identity(m, f)};
  }

  // Reduce (quantify true) and the generalised cofactor written out plainly
  // over the public operations, with no cache and no normalisation: null for
  // "no constraint", else the result with its reference.
  bdd plain_restrict(bdd f, bdd c, bool quantify) {
    if (c == bdd_zero(m)) return 0;
    if (c == bdd_one(m) || bdd_is_terminal(f)) return bdd_identity(m, f);
    const unsigned fi = bdd_index_of(m, f);
    const unsigned ci = bdd_index_of(m, c);
    if (quantify && ci < fi) {
      // The care set's top variable is not in f: quantified out of the care set.
      auto [c1, c0] = split_at(c, ci);
      bdd either = bdd_or(m, c1, c0);
      bdd r = plain_restrict(f, either, quantify);
      for (bdd h : {c1, c0, either})
        bdd_free(m, h);
      return r;
    }
    const unsigned top = std::min(fi, ci);
    auto [f1, f0] = split_at(f, top);
    auto [c1, c0] = split_at(c, top);
    bdd r1 = plain_restrict(f1, c1, quantify);
    bdd r0 = plain_restrict(f0, c0, quantify);
    for (bdd h : {f1, f0, c1, c0})
      bdd_free(m, h);
    if (r1 == 0) return r0;
    if (r0 == 0) return r1;
    bdd r = bdd_ite(m, x[top], r1, r0);
    bdd_free(m, r1);
    bdd_free(m, r0);
    return r;
  }

  // Whether f is one product of literals: every node on its path has a zero child.
  bool is_cube(bdd f) {
    while (!bdd_is_terminal(f)) {
      bdd t = bdd_then_of(f), e = bdd_else_of(f);
      if (t == bdd_zero(m)) {
        f = e;
      } else if (e == bdd_zero(m)) {
        f = t;
      } else {
        return false;
      }
    }
    return f == bdd_one(m);
  }

  std::string captured_warning(const char* text) {
    return std::string("BDD library: warning: ") + text + "\n";
  }

  std::string dump(bdd f, bdd_var_name_fn names = nullptr, void* arg = nullptr) {
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* out = open_memstream(&buf, &len);
    bdd_print_bdd(m, f, names, nullptr, arg, out);
    std::fclose(out);
    std::string text(buf, len);
    std::free(buf);
    return text;
  }
};

TEST_F(BddDerived, SatisfyPrefersThenBranches) {
  bdd f = bdd_or(m, x[0], x[1]);
  bdd s = bdd_satisfy(m, f);
  EXPECT_EQ(s, x[0]);
  bdd g = bdd_and(m, x[0] ^ 1u, x[1]);
  bdd t = bdd_satisfy(m, g);
  EXPECT_EQ(t, g);
  EXPECT_EQ(bdd_satisfy(m, bdd_one(m)), bdd_one(m));
  testing::internal::CaptureStderr();
  EXPECT_EQ(bdd_satisfy(m, bdd_zero(m)), bdd_zero(m));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            captured_warning("bdd_satisfy: argument is false"));
  EXPECT_EQ(bdd_satisfy(m, 0), 0u);
  for (bdd h : {f, s, g, t})
    bdd_free(m, h);

  for (int round = 0; round < 30; ++round) {
    bdd r = random_care();
    bdd c = bdd_satisfy(m, r);
    EXPECT_TRUE(is_cube(c));
    bdd outside = bdd_implies(m, c, r);
    EXPECT_EQ(outside, bdd_zero(m));
    for (bdd h : {r, c})
      bdd_free(m, h);
  }
}

TEST_F(BddDerived, SatisfySupportNamesTheAssociationVariables) {
  bdd pairs[] = {x[1], bdd_one(m), x[3], bdd_one(m), x[4], bdd_one(m), 0};
  bdd_temp_assoc(m, pairs);
  bdd f = bdd_and(m, x[0], x[3] ^ 1u);
  bdd c = bdd_satisfy_support(m, f);
  // x0 and not x3 from the path; x1 and x4 of the support absent, so negative;
  // x2 outside both: the cube x0 !x1 !x3 !x4.
  bdd want = minterm(0b00001, 5);
  bdd x2_free = bdd_or(m, want, minterm(0b00101, 5));
  EXPECT_EQ(c, x2_free);
  EXPECT_TRUE(is_cube(c));
  testing::internal::CaptureStderr();
  EXPECT_EQ(bdd_satisfy_support(m, bdd_zero(m)), bdd_zero(m));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            captured_warning("bdd_satisfy_support: argument is false"));
  bdd empty[] = {0};
  bdd_temp_assoc(m, empty);
  bdd plain = bdd_satisfy_support(m, f);
  EXPECT_EQ(plain, f);
  for (bdd h : {f, c, want, x2_free, plain})
    bdd_free(m, h);
}

TEST_F(BddDerived, DependsOn) {
  bdd f = bdd_and(m, x[0], x[1]);
  EXPECT_EQ(bdd_depends_on(m, f, x[0]), 1);
  EXPECT_EQ(bdd_depends_on(m, f, x[1]), 1);
  EXPECT_EQ(bdd_depends_on(m, f, x[2]), 0);
  EXPECT_EQ(bdd_depends_on(m, x[1], x[0]), 0);
  EXPECT_EQ(bdd_depends_on(m, bdd_one(m), x[0]), 0);
  EXPECT_EQ(bdd_depends_on(m, 0, x[0]), 0);
  EXPECT_EQ(bdd_depends_on(m, f, 0), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(bdd_depends_on(m, f, x[0] ^ 1u), 1);
  EXPECT_EQ(bdd_depends_on(m, f, bdd_zero(m)), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            captured_warning("bdd_depends_on: second argument is not a positive variable") +
                captured_warning("bdd_depends_on: second argument is not a positive variable"));
  EXPECT_EQ(nonzero_temps(), 0);

  // A variable found early, deep below shared nodes, leaves no mark behind.
  for (int round = 0; round < 20; ++round) {
    bdd r = random_function();
    for (int i = 0; i < kVars; ++i) {
      bdd hi = bdd_compose(m, r, x[i], bdd_one(m));
      bdd lo = bdd_compose(m, r, x[i], bdd_zero(m));
      EXPECT_EQ(bdd_depends_on(m, r, x[i]), hi != lo ? 1 : 0);
      EXPECT_EQ(nonzero_temps(), 0);
      bdd_free(m, hi);
      bdd_free(m, lo);
    }
    bdd_free(m, r);
  }
  bdd_free(m, f);
}

TEST_F(BddDerived, SupportInDepthFirstOrder) {
  bdd g = bdd_or(m, x[0], x[4]);
  bdd f = bdd_and(m, x[2], g);
  std::vector<bdd> out(kVars + 1, 7u);
  bdd_support(m, f, out.data());
  EXPECT_EQ(out[0], x[0]);
  EXPECT_EQ(out[1], x[2]);
  EXPECT_EQ(out[2], x[4]);
  EXPECT_EQ(out[3], 0u);
  EXPECT_EQ(nonzero_temps(), 0);
  bdd_support(m, x[3] ^ 1u, out.data());
  EXPECT_EQ(out[0], x[3]);
  EXPECT_EQ(out[1], 0u);
  bdd_support(m, bdd_one(m), out.data());
  EXPECT_EQ(out[0], 0u);
  bdd_free(m, f);
  bdd_free(m, g);
}

// The sorted support indexes against the variables each function depends
// on; halfway, a variable inserted first moves every index up by one.
TEST_F(BddDerived, SupportIndexesAreTheSortedDependences) {
  for (int round = 0; round < 200; ++round) {
    if (round == 100) bdd_new_var_first(m);
    bdd f = round % 40 == 0 ? bdd_one(m) : random_function();
    std::vector<std::uint32_t> expected;
    for (int i = 0; i < kVars; ++i)
      if (bdd_depends_on(m, f, x[i]) != 0) expected.push_back(bdd_if_index(m, x[i]));
    std::sort(expected.begin(), expected.end());
    std::vector<std::uint32_t> out(static_cast<std::size_t>(bdd_vars(m)), 99u);
    const int count = bdd_support_indexes(m, f, out.data());
    out.resize(static_cast<std::size_t>(count));
    EXPECT_EQ(out, expected) << "round " << round;
    EXPECT_EQ(nonzero_temps(), 0);
    bdd_free(m, f);
  }
  EXPECT_EQ(bdd_support_indexes(m, 0, nullptr), 0);
}

// The table read off the nodes against the one the function was built from,
// over the variables listed in random orders, with a collection between.
TEST_F(BddDerived, SmallTruthTableOverAnyListedOrder) {
  std::vector<long> order = {0, 1, 2, 3, 4, 5};
  for (int round = 0; round < 200; ++round) {
    const std::uint64_t bits = rng();
    bdd f = from_table(bits, kVars);
    if (round % 50 == 0) bdd_gc(m);
    std::shuffle(order.begin(), order.end(), rng);
    std::uint64_t expected = 0;
    for (std::uint64_t a = 0; a < 64; ++a) {
      std::uint64_t b = 0;  // the same point in index order
      for (int p = 0; p < kVars; ++p)
        b |= ((a >> p) & 1u) << order[static_cast<std::size_t>(p)];
      expected |= ((bits >> b) & 1u) << a;
    }
    std::uint64_t table = 0;
    ASSERT_EQ(bdd_small_truth_table(m, f, order.data(), kVars, &table), 1);
    EXPECT_EQ(table, expected) << "round " << round;
    // A list that leaves out a variable f reaches gives no table.
    const long left_out = order.back();
    const int depends = bdd_depends_on(m, f, x[left_out]);
    std::uint64_t partial = 0;
    EXPECT_EQ(bdd_small_truth_table(m, f, order.data(), kVars - 1, &partial), depends ? 0 : 1);
    bdd_free(m, f);
  }
  std::uint64_t table = 7;
  ASSERT_EQ(bdd_small_truth_table(m, bdd_one(m), nullptr, 0, &table), 1);
  EXPECT_EQ(table, ~std::uint64_t{0});
  ASSERT_EQ(bdd_small_truth_table(m, bdd_zero(m), nullptr, 0, &table), 1);
  EXPECT_EQ(table, 0u);
  ASSERT_EQ(bdd_small_truth_table(m, x[2] ^ 1u, order.data(), kVars, &table), 1);
  const auto at = std::find(order.begin(), order.end(), 2) - order.begin();
  for (std::uint64_t a = 0; a < 64; ++a)
    EXPECT_EQ((table >> a) & 1u, ((a >> at) & 1u) ^ 1u) << "point " << a;
  const long seven[7] = {0, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(bdd_small_truth_table(m, x[0], seven, 7, &table), 0);
  EXPECT_EQ(nonzero_temps(), 0);
}

TEST_F(BddDerived, ReduceAgreesOnTheCareSet) {
  bdd f = bdd_and(m, x[0], x[1]);
  EXPECT_EQ(bdd_reduce(m, f, bdd_one(m)), f);
  EXPECT_EQ(bdd_reduce(m, f, bdd_zero(m)), bdd_zero(m));
  bdd r = bdd_reduce(m, f, x[0]);
  EXPECT_EQ(r, x[1]);
  EXPECT_EQ(bdd_reduce(m, 0, x[0]), 0u);
  EXPECT_EQ(bdd_debug_refs(f), 2);
  bdd_free(m, f);
  bdd_free(m, f);

  for (int round = 0; round < 60; ++round) {
    bdd g = random_function();
    bdd c = random_care();
    bdd red = bdd_reduce(m, g, c);
    bdd cof = bdd_cofactor(m, g, c);
    for (std::uint64_t a = 0; a < (1u << kVars); ++a) {
      if (!eval(c, a)) continue;
      ASSERT_EQ(eval(red, a), eval(g, a)) << a;
      ASSERT_EQ(eval(cof, a), eval(g, a)) << a;
    }
    for (bdd h : {g, c, red, cof})
      bdd_free(m, h);
  }
}

// Both recursions take f and its negation to one cache entry: the results
// are those of the plain recursions, also when a collection runs in the
// middle of the operation, and the negated call after the plain one is a
// single cache hit.
TEST_F(BddDerived, ReduceAndCofactorShareEntriesBetweenAFunctionAndItsNegation) {
  int collected = 0;
  int runs = 0;
  for (int round = 0; round < 150; ++round) {
    bdd f = random_below(static_cast<int>(rng() % 4));
    bdd c = random_below(static_cast<int>(rng() % 3));
    if (c == bdd_zero(m)) {
      bdd_free(m, c);
      c = bdd_identity(m, x[kVars - 1]);
    }
    for (bool quantify : {true, false}) {
      bdd want = plain_restrict(f, c, quantify);
      auto run = [&](bdd g) { return quantify ? bdd_reduce(m, g, c) : bdd_cofactor(m, g, c); };
      for (bdd g : {f, f ^ 1u}) {
        // Garbage for the collection, then a collection a few lookups in.
        bdd junk = random_function();
        bdd_free(m, junk);
        bdd_flush_all(m);
        const long limit = m->gc_limit;
        const long gcs = m->gc_count;
        m->gc_limit = 0;
        m->check_countdown = 1 + static_cast<int>(rng() % 6);
        bdd r = run(g);
        ++runs;
        if (m->gc_count != gcs) {
          ++collected;
        } else {
          m->gc_limit = limit;
        }
        ASSERT_EQ(r, g == f ? want : want ^ 1u)
            << (quantify ? "reduce" : "cofactor") << (g == f ? "" : " of the negation")
            << ", round " << round;
        bdd_free(m, r);
      }
      // The negation's call finds the plain call's entry at once. Reduce
      // keeps no entry for an f whose top lies below the care set's.
      const bool cached = !bdd_is_terminal(f) && !bdd_is_terminal(c) &&
                          (!quantify || bdd_index_of(m, f) <= bdd_index_of(m, c));
      bdd_flush_all(m);
      bdd r = run(f);
      const long hits = m->cache_hits;
      const long lookups = m->cache_lookups;
      const long size = bdd_total_size(m);
      bdd n = run(f ^ 1u);
      EXPECT_EQ(n, r ^ 1u);
      if (cached) {
        EXPECT_EQ(m->cache_lookups, lookups + 1) << "round " << round;
        EXPECT_EQ(m->cache_hits, hits + 1) << "round " << round;
        EXPECT_EQ(bdd_total_size(m), size);
      }
      for (bdd h : {r, n, want})
        bdd_free(m, h);
      EXPECT_EQ(nonzero_temps(), 0);
    }
    bdd_free(m, f);
    bdd_free(m, c);
  }
  EXPECT_GT(collected, runs / 2) << "too few operations were interrupted by a collection";
}

TEST_F(BddDerived, CofactorByCubesIsRestriction) {
  bdd g = bdd_xor(m, x[0], x[2]);
  bdd f = bdd_ite(m, x[1], g, x[3]);
  bdd c = bdd_and(m, x[1], x[2] ^ 1u);
  bdd r = bdd_cofactor(m, f, c);
  EXPECT_EQ(r, x[0]);
  bdd d = bdd_cofactor(m, f, x[1] ^ 1u);
  EXPECT_EQ(d, x[3]);
  testing::internal::CaptureStderr();
  EXPECT_EQ(bdd_cofactor(m, f, bdd_zero(m)), bdd_one(m));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            captured_warning("bdd_cofactor: second argument is false"));
  for (bdd h : {g, f, c, r, d})
    bdd_free(m, h);
}

TEST_F(BddDerived, ComposeAndRestrict) {
  for (int round = 0; round < 40; ++round) {
    bdd f = random_function();
    bdd g = random_function();
    int v = static_cast<int>(rng() % kVars);
    bdd r = bdd_compose(m, f, x[v], g);
    bdd hi = bdd_compose(m, f, x[v], bdd_one(m));
    bdd lo = bdd_compose(m, f, x[v], bdd_zero(m));
    bdd nr = bdd_compose(m, f ^ 1u, x[v], g);
    EXPECT_EQ(nr, r ^ 1u);
    for (std::uint64_t a = 0; a < (1u << kVars); ++a) {
      std::uint64_t b = eval(g, a) ? a | (1u << v) : a & ~(1u << v);
      ASSERT_EQ(eval(r, a), eval(f, b));
      ASSERT_EQ(eval(hi, a), eval(f, a | (1u << v)));
      ASSERT_EQ(eval(lo, a), eval(f, a & ~(1u << v)));
    }
    for (bdd h : {f, g, r, hi, lo, nr})
      bdd_free(m, h);
  }
  testing::internal::CaptureStderr();
  bdd f = bdd_and(m, x[0], x[1]);
  EXPECT_EQ(bdd_compose(m, f, x[0] ^ 1u, x[2]), f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            captured_warning("bdd_compose: second argument is not a positive variable"));
  EXPECT_EQ(bdd_debug_refs(f), 2);
  bdd_free(m, f);
  bdd_free(m, f);
}

TEST_F(BddDerived, SubstituteThroughAssociations) {
  bdd f = bdd_ite(m, x[0], x[1], x[2] ^ 1u);
  bdd y = bdd_and(m, x[3], x[4]);
  // x0 -> x3 and x4, x1 -> one, x2 kept.
  bdd pairs[] = {x[0], y, x[1], bdd_one(m), 0};
  bdd_temp_assoc(m, pairs);
  bdd s = bdd_substitute(m, f);
  bdd want = bdd_or(m, y, x[2] ^ 1u);
  EXPECT_EQ(s, want);

  // Variables swapped through a numbered association.
  bdd swap[] = {x[0], x[1], x[1], x[0], 0};
  int n = bdd_new_assoc(m, swap);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(bdd_assoc(m, n), -1);
  bdd g = bdd_and(m, x[0], x[1] ^ 1u);
  bdd sg = bdd_substitute(m, g);
  bdd want_g = bdd_and(m, x[1], x[0] ^ 1u);
  EXPECT_EQ(sg, want_g);
  bdd again = bdd_substitute(m, g);  // from the cache under the association's code
  EXPECT_EQ(again, want_g);
  EXPECT_EQ(bdd_assoc(m, -1), n);
  bdd_free_assoc(m, n);

  // The empty temporary association changes nothing.
  bdd none[] = {0};
  bdd_temp_assoc(m, none);
  bdd same = bdd_substitute(m, f);
  EXPECT_EQ(same, f);
  for (bdd h : {f, y, s, want, g, sg, want_g, again, same})
    bdd_free(m, h);
}

TEST_F(BddDerived, IntersectsAndImplies) {
  for (int round = 0; round < 60; ++round) {
    bdd f = random_function();
    bdd g = random_function();
    bdd both = bdd_and(m, f, g);
    bdd w = bdd_intersects(m, f, g);
    EXPECT_EQ(w == bdd_zero(m), both == bdd_zero(m));
    bdd outside_f = bdd_implies(m, w, f);
    bdd outside_g = bdd_implies(m, w, g);
    EXPECT_EQ(outside_f, bdd_zero(m));
    EXPECT_EQ(outside_g, bdd_zero(m));
    bdd imp = bdd_implies(m, both, f);
    EXPECT_EQ(imp, bdd_zero(m));
    for (bdd h : {f, g, both, w, outside_f, outside_g, imp})
      bdd_free(m, h);
  }
  bdd w = bdd_implies(m, x[0], x[1]);
  EXPECT_NE(w, bdd_zero(m));
  bdd_free(m, w);
}

TEST_F(BddDerived, SatisfyingFraction) {
  bdd f = bdd_and(m, x[0], x[1]);
  EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(m, f), 0.25);
  EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(m, f ^ 1u), 0.75);
  EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(m, bdd_one(m)), 1.0);
  EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(m, bdd_zero(m)), 0.0);
  EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(m, 0), 0.0);
  for (int round = 0; round < 20; ++round) {
    bdd r = random_function();
    int count = 0;
    for (std::uint64_t a = 0; a < (1u << kVars); ++a)
      count += eval(r, a);
    EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(m, r), count / 64.0);
    EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(m, r), count / 64.0);  // cached
    bdd_free(m, r);
  }
  bdd_free(m, f);
}

TEST_F(BddDerived, MarkCounters) {
  bdd f = bdd_or(m, x[0], x[1]);
  EXPECT_EQ(bdd_marks_incrementation(m, f), BDD_TYPE_NONTERMINAL);
  EXPECT_EQ(bdd_marks_incrementation(m, f ^ 1u), BDD_TYPE_NONTERMINAL);
  EXPECT_EQ(bdd_marks_cpt(m, f), 2);
  EXPECT_EQ(bdd_marks_incrementation(m, x[0]), BDD_TYPE_POSVAR);
  EXPECT_EQ(bdd_marks_cpt(m, x[0]), 0);
  EXPECT_EQ(bdd_node(x[0])->temps, 0);
  EXPECT_EQ(bdd_clear_mark(m, bdd_one(m)), BDD_TYPE_ONE);
  EXPECT_EQ(bdd_clear_mark(m, f), BDD_TYPE_NONTERMINAL);
  EXPECT_EQ(bdd_marks_cpt(m, f), 0);
  bdd_free(m, f);
}

const char* names(bdd_manager mm, bdd var, void*) {
  static const char* kNames[] = {"a", "b", "c"};
  int i = bdd_if_index(mm, var);
  return i < 3 ? kNames[i] : nullptr;
}

TEST_F(BddDerived, TextDump) {
  EXPECT_EQ(dump(0), "overflow\n");
  EXPECT_EQ(dump(bdd_one(m)), "1\n");
  EXPECT_EQ(dump(x[1] ^ 1u, names), "!b\n");
  EXPECT_EQ(dump(x[4], names), "var.4\n");

  // (a and (c xor d)) or (not a and b and (c xor d)): the xor node is shared.
  bdd cd = bdd_xor(m, x[2], x[3]);
  bdd left = bdd_and(m, x[1], cd);
  bdd f = bdd_ite(m, x[0], cd, left);
  // The xor is the negation of the shared node (c ? d : !d), numbered 0.
  EXPECT_EQ(dump(f, names),
            "if a\n"
            "  !0: if c\n"
            "    var.3\n"
            "  else if !c\n"
            "    !var.3\n"
            "  endif c\n"
            "else if !a\n"
            "  if b\n"
            "    !subformula 0\n"
            "  else if !b\n"
            "    0\n"
            "  endif b\n"
            "endif a\n");
  EXPECT_EQ(nonzero_temps(), 0);
  EXPECT_EQ(dump(f ^ 1u, names),
            "if a\n"
            "  0: if c\n"
            "    var.3\n"
            "  else if !c\n"
            "    !var.3\n"
            "  endif c\n"
            "else if !a\n"
            "  if b\n"
            "    subformula 0\n"
            "  else if !b\n"
            "    1\n"
            "  endif b\n"
            "endif a\n");
  for (bdd h : {cd, left, f})
    bdd_free(m, h);
}

TEST_F(BddDerived, AbandonedReduceGivesNullNotZero) {
  bdd f = bdd_ite(m, x[0], x[1], x[2]);
  bdd c = bdd_or(m, x[1], x[2]);
  bdd_flush_all(m);
  m->check_countdown = 1;  // the next node lookup runs the check
  bdd_abort_closure(
      m, [](bdd_manager mm, void*) { bdd_abort_closure(mm, nullptr, nullptr); }, nullptr);
  EXPECT_EQ(bdd_reduce(m, f, c), 0u);
  EXPECT_EQ(nonzero_temps(), 0);
  bdd r = bdd_reduce(m, f, c);
  EXPECT_NE(r, 0u);
  for (bdd h : {f, c, r})
    bdd_free(m, h);
}

}  // namespace
