// The prime search on the BDD against the implicant tree walk it replaces:
// the same primes in the same order, the same essential ones, the same
// greedy cover and the same printed rows, on random functions of up to 12
// variables, with a collection forced inside every search. Then the order
// and the limit where the walk would pass its product limit.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bdd/bdd_int.h"
#include "bddpp/bddpp_manager.h"
#include "bddpp/prime_search.h"
#include "support/activity.h"
#include "support/reference_paths.h"

namespace {

class BddppPrimes : public ::testing::Test {
 protected:
  bddpp_manager man;
  std::vector<bdd> x;  // x[i] is the variable at index i
  std::mt19937 rng{18};

  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  void TearDown() override {
    tessaro::reference_paths() = false;
    tessaro::clear_activity();
    EXPECT_EQ(bdd_debug_check(man.engine()), 0);
  }

  void vars(int n) {
    for (int i = static_cast<int>(x.size()); i < n; ++i)
      x.push_back(man.New_var_last("x" + std::to_string(i)));
  }

  bdd literal(int i, bool positive) { return positive ? x[i] : x[i] ^ 1u; }

  // One of several shapes of random function over x[0 .. n-1].
  bdd random_function(int n) {
    const int shape = static_cast<int>(rng() % 4);
    if (shape == 0 && n <= 11) {
      // A random truth table, sparse, balanced or dense.
      static const double densities[] = {0.1, 0.5, 0.9};
      std::bernoulli_distribution bit(densities[rng() % 3]);
      bdd f = man.Bdd_dup(man.Bdd_zero());
      for (unsigned a = 0; a < (1u << n); ++a) {
        if (!bit(rng)) continue;
        bdd m = man.Bdd_dup(man.Bdd_one());
        for (int i = n - 1; i >= 0; --i) {
          bdd next = man.Bdd_and(m, literal(i, (a >> i) & 1u));
          man.Bdd_free(m);
          m = next;
        }
        bdd next = man.Bdd_or(f, m);
        man.Bdd_free(m);
        man.Bdd_free(f);
        f = next;
      }
      return f;
    }
    // A sum of random cubes, as PLA tables are: few or many, short or long.
    const int cubes = 1 + static_cast<int>(rng() % (shape == 1 ? 6 : 40));
    // Each position has a literal with probability 1 / care.
    const unsigned care = shape == 1 ? 2 : shape == 2 ? 3 : 1 + static_cast<unsigned>(rng() % 2);
    bdd f = man.Bdd_dup(man.Bdd_zero());
    for (int c = 0; c < cubes; ++c) {
      bdd cube = man.Bdd_dup(man.Bdd_one());
      for (int i = n - 1; i >= 0; --i) {
        if (rng() % care != 0) continue;
        bdd next = man.Bdd_and(cube, literal(i, rng() & 1u));
        man.Bdd_free(cube);
        cube = next;
      }
      bdd next = man.Bdd_or(f, cube);
      man.Bdd_free(cube);
      man.Bdd_free(f);
      f = next;
    }
    if (shape == 3) {
      bdd g = man.Bdd_xor(f, x[rng() % n]);
      man.Bdd_free(f);
      f = g;
    }
    return f;
  }

  // Everything the cover of f is made of, on one path: the primes, the
  // essential and other primes, the method-2 products and the BLIF cover.
  struct Covers {
    std::vector<bdd> primes, essential, other, sop;
    std::string blif;
    bool operator==(const Covers& o) const {
      return primes == o.primes && essential == o.essential && other == o.other && sop == o.sop &&
             blif == o.blif;
    }
  };

  long collections() { return static_cast<long>(man.engine()->gc_count); }

  Covers covers(bdd y, bdd f, bool reference) {
    tessaro::reference_paths() = reference;
    Covers c;
    std::vector<bdd> out(kBddppMaxProducts + 1);
    // A collection at the first check inside each computation.
    man.engine()->gc_limit = 0;
    c.primes.assign(out.begin(), out.begin() + man.Bdd_prime_implicants(f, out.data()));
    std::vector<bdd> other(kBddppMaxProducts);
    int n_essential = 0, n_other = 0;
    man.engine()->gc_limit = 0;
    man.Bdd_essential_implicants(f, n_essential, out.data(), n_other, other.data());
    c.essential.assign(out.begin(), out.begin() + n_essential);
    c.other.assign(other.begin(), other.begin() + n_other);
    man.engine()->gc_limit = 0;
    c.sop.assign(out.begin(), out.begin() + man.Bdd_sop_2(f, out.data()));
    std::ostringstream text;
    man.engine()->gc_limit = 0;
    man.BLIF_print(text, y, f, 2);
    c.blif = text.str();
    tessaro::reference_paths() = false;
    return c;
  }

  void release(const Covers& c) {
    for (const auto* list : {&c.primes, &c.essential, &c.other, &c.sop})
      for (bdd p : *list)
        man.Bdd_free(p);
  }

  // Method 2 from the essential and other primes as the steps read: each
  // pass of the first completion scans the other primes from the start.
  std::vector<bdd> greedy(bdd f, const std::vector<bdd>& essential,
                          const std::vector<bdd>& other) {
    std::vector<bdd> out;
    bdd cover = man.Bdd_dup(man.Bdd_zero());
    auto add = [&](bdd p) {
      out.push_back(p);
      bdd next = man.Bdd_or(cover, p);
      man.Bdd_free(cover);
      cover = next;
    };
    for (bdd p : essential)
      add(p);
    std::vector<bool> used(other.size(), false);
    while (cover != f) {
      std::size_t found = other.size();
      for (std::size_t i = 0; i < other.size() && found == other.size(); ++i)
        if (!used[i] && man.Bdds_excl(other[i], cover)) found = i;
      if (found == other.size()) break;
      used[found] = true;
      add(other[found]);
    }
    for (std::size_t i = 0; i < other.size() && cover != f; ++i) {
      bdd next = man.Bdd_or(cover, other[i]);
      const bool adds = next != cover;
      man.Bdd_free(next);
      if (adds) add(other[i]);
    }
    man.Bdd_free(cover);
    return out;
  }

  // Whether the replayed walk puts the primes of f in another order than
  // the one it meets them in.
  bool walk_moves_primes(bdd f) {
    prime_search search(&man, f);
    EXPECT_EQ(search.find(kBddppMaxProducts), prime_search::status::found);
    std::vector<bdd> met, walked;
    for (int i = 0; i < search.count(); ++i)
      met.push_back(search.product(i));
    EXPECT_TRUE(search.order_as_tree_walk(kBddppMaxProducts));
    for (int i = 0; i < search.count(); ++i)
      walked.push_back(search.product(i));
    for (bdd p : met)
      man.Bdd_free(p);
    for (bdd p : walked)
      man.Bdd_free(p);
    return met != walked;
  }

  // Every product is a prime implicant of f and no prime is missing:
  // each one loses no literal, and their disjunction is f.
  void check_primes(bdd f, const std::vector<bdd>& primes) {
    bdd all = man.Bdd_dup(man.Bdd_zero());
    for (bdd p : primes) {
      ASSERT_TRUE(man.Bdd_imply(p, f));
      for (long i : man.Support_indexes(p)) {
        bdd wider = man.Bdd_extract(p, man.Bdd_var_by_index(i));
        EXPECT_FALSE(man.Bdd_imply(wider, f)) << "not prime";
        man.Bdd_free(wider);
      }
      bdd next = man.Bdd_or(all, p);
      man.Bdd_free(all);
      all = next;
    }
    EXPECT_EQ(all, f);
    man.Bdd_free(all);
  }
};

TEST_F(BddppPrimes, SameCoversAsTheTreeWalkOnRandomFunctions) {
  vars(13);
  bdd y = x[12];
  const long before = collections();
  int compared = 0;
  int reordered = 0;
  for (int n = 1; n <= 12; ++n) {
    const int rounds = n <= 6 ? 40 : n <= 9 ? 25 : 12;
    for (int round = 0; round < rounds; ++round) {
      bdd f = random_function(n);
      SCOPED_TRACE("n = " + std::to_string(n) + ", round " + std::to_string(round));
      if (man.Bdd_if_index(f) >= 0) {
        const Covers tree = covers(y, f, true);
        const Covers search = covers(y, f, false);
        EXPECT_TRUE(tree == search) << tree.blif << "\n" << search.blif;
        EXPECT_EQ(greedy(f, search.essential, search.other), search.sop);
        check_primes(f, search.primes);
        reordered += walk_moves_primes(f) ? 1 : 0;
        release(tree);
        release(search);
        ++compared;
      }
      man.Bdd_free(f);
    }
  }
  EXPECT_GT(compared, 200);
  // Most functions see collections inside their searches, and the walk's
  // replacements move primes away from their meeting order in many.
  EXPECT_GT(collections() - before, 2 * compared);
  EXPECT_GT(reordered, 20);
}

// With more slots than the walk may hold, the primes come in the order the
// walk meets them: the or of 24 variables gives them from the top down.
TEST_F(BddppPrimes, PastTheWalkLimitThePrimesComeInMeetingOrder) {
  vars(25);
  bdd f = man.Bdd_dup(man.Bdd_zero());
  for (int i = 23; i >= 0; --i) {
    bdd next = man.Bdd_or(f, x[i]);
    man.Bdd_free(f);
    f = next;
  }
  std::vector<bdd> out(kBddppMaxProducts + 1);
  ASSERT_EQ(man.Bdd_prime_implicants(f, out.data()), 24);
  for (int i = 0; i < 24; ++i)
    EXPECT_EQ(out[i], x[i]) << i;
  for (int i = 0; i < 24; ++i)
    man.Bdd_free(out[i]);
  std::ostringstream text;
  man.BLIF_print(text, x[24], f, 2);
  std::string expected = ".names  ";
  for (int i = 0; i < 24; ++i)
    expected += "x" + std::to_string(i) + " ";
  expected += "x24\n";
  for (int i = 0; i < 24; ++i)
    expected += std::string(i, '-') + "1" + std::string(23 - i, '-') + " 1\n";
  EXPECT_EQ(text.str(), expected);
  man.Bdd_free(f);
}

// Parity of 17 variables has 2^16 primes, more than a cover may hold: the
// search stops with the fixed lines and the signal the writer named.
TEST_F(BddppPrimes, MoreThanFiftyThousandPrimesStopWithTheSignal) {
  vars(17);
  bdd f = man.Bdd_dup(man.Bdd_zero());
  for (int i = 0; i < 17; ++i) {
    bdd next = man.Bdd_xor(f, x[i]);
    man.Bdd_free(f);
    f = next;
  }
  std::vector<bdd> out(kBddppMaxProducts + 1);
  const std::string name = "parity_out";
  EXPECT_EXIT(
      {
        tessaro::set_activity("signal", name);
        man.Bdd_prime_implicants(f, out.data());
      },
      ::testing::ExitedWithCode(1),
      ::testing::Eq(std::string("error in Tdd::Bdd_implicants_loc() \n"
                                "excessive number of products ...\n"
                                "cover of signal parity_out: more than 50000 prime implicants\n")));
  // Without a signal being written, the two fixed lines alone.
  EXPECT_EXIT(man.Bdd_prime_implicants(f, out.data()), ::testing::ExitedWithCode(1),
              ::testing::Eq(std::string("error in Tdd::Bdd_implicants_loc() \n"
                                        "excessive number of products ...\n")));
  man.Bdd_free(f);
}

}  // namespace
