// Widening a product inside a function in one pass gives the product the
// literal-by-literal widening gives (each literal, in index order, dropped
// when the product without it still implies f), on random functions of
// many variables and products deep enough to take the one-pass path.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bddpp/bddpp_manager.h"

namespace {

// The literal-by-literal widening, from the public operations.
bdd widen_one_by_one(bddpp_manager& man, bdd f, bdd product) {
  bdd p = man.Bdd_dup(product);
  for (long j : man.Support_indexes(product)) {
    bdd wider = man.Bdd_extract(p, man.Bdd_var_by_index(j));
    if (man.Bdd_imply(wider, f)) {
      man.Bdd_free(p);
      p = wider;
    } else {
      man.Bdd_free(wider);
    }
  }
  return p;
}

// A random sum of `terms` products of 2 to 6 literals over `vars`.
bdd random_sum(bddpp_manager& man, std::mt19937& rng, int vars, int terms) {
  bdd f = man.Bdd_dup(man.Bdd_zero());
  for (int t = 0; t < terms; ++t) {
    bdd p = man.Bdd_dup(man.Bdd_one());
    const int literals = 2 + static_cast<int>(rng() % 5);
    for (int l = 0; l < literals; ++l) {
      bdd v = man.Bdd_var_by_index(static_cast<long>(rng() % static_cast<unsigned>(vars)));
      bdd next = man.Bdd_and(p, rng() % 2 ? v : v ^ 1u);
      man.Bdd_free(p);
      p = next;
    }
    bdd next = man.Bdd_or(f, p);
    man.Bdd_free(p);
    man.Bdd_free(f);
    f = next;
  }
  return f;
}

// A minterm of f over all variables: a product of `vars` literals inside f.
bdd random_minterm(bddpp_manager& man, std::mt19937& rng, bdd f, int vars) {
  bdd rest = man.Bdd_dup(f);
  bdd m = man.Bdd_dup(man.Bdd_one());
  std::vector<bdd> literals;
  for (int i = 0; i < vars; ++i) {
    bdd v = man.Bdd_var_by_index(i);
    bdd lit = rng() % 2 ? v : v ^ 1u;
    bdd narrowed = man.Bdd_and(rest, lit);
    if (man.Bdd_is_tautology(narrowed, 0)) {
      man.Bdd_free(narrowed);
      lit ^= 1u;
      narrowed = man.Bdd_and(rest, lit);
    }
    man.Bdd_free(rest);
    rest = narrowed;
    literals.push_back(lit);
  }
  man.Bdd_free(rest);
  for (auto it = literals.rbegin(); it != literals.rend(); ++it) {
    bdd next = man.Bdd_and(m, *it);
    man.Bdd_free(m);
    m = next;
  }
  return m;
}

}  // namespace

TEST(WidenCube, SameProductAsLiteralByLiteral) {
  std::mt19937 rng(17);
  for (int round = 0; round < 60; ++round) {
    bddpp_manager man;
    const int vars = 20 + round % 13;
    for (int i = 0; i < vars; ++i)
      man.New_var_last("v" + std::to_string(i));
    bdd f = random_sum(man, rng, vars, 3 + round % 9);
    for (int k = 0; k < 4; ++k) {
      bdd m = random_minterm(man, rng, f, vars);
      bdd expected = widen_one_by_one(man, f, m);
      bdd widened = man.Bdd_dup(m);
      ASSERT_TRUE(man.Widen_cube(f, widened));
      EXPECT_EQ(widened, expected) << "round " << round << " minterm " << k;
      for (bdd g : {m, expected, widened})
        man.Bdd_free(g);
    }
    man.Bdd_free(f);
  }
}

TEST(WidenCube, RefusesWhatIsNotAProduct) {
  bddpp_manager man;
  bdd a = man.New_var_last("a");
  bdd b = man.New_var_last("b");
  bdd f = man.Bdd_or(a, b);
  bdd g = man.Bdd_dup(f);
  EXPECT_FALSE(man.Widen_cube(f, g));
  EXPECT_EQ(g, f);
  bdd one = man.Bdd_dup(man.Bdd_one());
  EXPECT_TRUE(man.Widen_cube(one, one));
  EXPECT_EQ(one, man.Bdd_one());
  // a.b inside a + b widens to b: a, first in index order, goes.
  bdd ab = man.Bdd_and(a, b);
  EXPECT_TRUE(man.Widen_cube(f, ab));
  EXPECT_EQ(ab, b);
  for (bdd h : {f, g, one, ab})
    man.Bdd_free(h);
}
