// Covers past the prime limit: the irredundant cover of primes found on the
// BDD is exact, made of primes and irredundant, on random functions and on
// wide ones; the writer's entry gives the method-2 cover wherever the primes
// fit, the irredundant cover past the limit, and refuses a cover past its
// own bound without writing anything.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bddpp/bddpp_manager.h"

namespace {

class BddppWideCover : public ::testing::Test {
 protected:
  bddpp_manager man;
  std::vector<bdd> x;  // x[i] is the variable at index i
  std::mt19937 rng{14};

  void TearDown() override { EXPECT_EQ(bdd_debug_check(man.engine()), 0); }

  void vars(int n) {
    for (int i = static_cast<int>(x.size()); i < n; ++i)
      x.push_back(man.New_var_last("x" + std::to_string(i)));
  }

  void replace(bdd& f, bdd g) {
    man.Bdd_free(f);
    f = g;
  }

  // At least k of x[0 .. n-1].
  bdd at_least(int n, int k) {
    std::vector<bdd> row(static_cast<std::size_t>(k) + 1);
    for (int j = 0; j <= k; ++j)
      row[j] = man.Bdd_dup(j == 0 ? man.Bdd_one() : man.Bdd_zero());
    for (int i = n - 1; i >= 0; --i)
      for (int j = k; j >= 1; --j)
        replace(row[j], man.Bdd_ite(x[i], row[j - 1], row[j]));
    bdd f = man.Bdd_dup(row[k]);
    for (bdd r : row)
      man.Bdd_free(r);
    return f;
  }

  bdd parity(int n) {
    bdd f = man.Bdd_dup(man.Bdd_zero());
    for (int i = 0; i < n; ++i)
      replace(f, man.Bdd_xor(f, x[i]));
    return f;
  }

  // A sum of random cubes over x[0 .. n-1], or its exclusive or with x[0].
  bdd random_sum(int n, int cubes, int literals, bool twisted) {
    bdd f = man.Bdd_dup(man.Bdd_zero());
    for (int c = 0; c < cubes; ++c) {
      bdd cube = man.Bdd_dup(man.Bdd_one());
      for (int l = 0; l < literals; ++l) {
        const bdd v = x[rng() % n];
        replace(cube, man.Bdd_and(cube, rng() & 1u ? v : v ^ 1u));
      }
      replace(f, man.Bdd_or(f, cube));
      man.Bdd_free(cube);
    }
    if (twisted) replace(f, man.Bdd_xor(f, x[0]));
    return f;
  }

  // Every product a prime implicant of f, the sum equal to f, and no
  // product covered by the others.
  void check_irredundant_primes(bdd f, const std::vector<bdd>& products) {
    const std::size_t n = products.size();
    // Prefix and suffix disjunctions give "all but one" for each product.
    std::vector<bdd> after(n + 1);
    after[n] = man.Bdd_dup(man.Bdd_zero());
    for (std::size_t i = n; i-- > 0;)
      after[i] = man.Bdd_or(products[i], after[i + 1]);
    EXPECT_EQ(after[0], f) << "not a cover of f";
    bdd before = man.Bdd_dup(man.Bdd_zero());
    for (std::size_t i = 0; i < n; ++i) {
      const bdd p = products[i];
      ASSERT_TRUE(man.Bdd_imply(p, f)) << "product " << i << " is no implicant";
      for (long v : man.Support_indexes(p)) {
        bdd wider = man.Bdd_extract(p, man.Bdd_var_by_index(v));
        EXPECT_FALSE(man.Bdd_imply(wider, f)) << "product " << i << " is not prime";
        man.Bdd_free(wider);
      }
      bdd others = man.Bdd_or(before, after[i + 1]);
      EXPECT_NE(others, f) << "product " << i << " is redundant";
      man.Bdd_free(others);
      replace(before, man.Bdd_or(before, p));
    }
    man.Bdd_free(before);
    for (bdd a : after)
      man.Bdd_free(a);
  }

  void release(std::vector<bdd>& products) {
    for (bdd p : products)
      man.Bdd_free(p);
    products.clear();
  }
};

TEST_F(BddppWideCover, IrredundantPrimesOfRandomFunctions) {
  vars(40);
  int checked = 0;
  for (int round = 0; round < 120; ++round) {
    const int n = 2 + round % 11;
    bdd f = random_sum(n, 1 + static_cast<int>(rng() % 24), 1 + static_cast<int>(rng() % n),
                       round % 3 == 0);
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<bdd> products;
    ASSERT_TRUE(man.Bdd_irredundant_primes(f, products));
    check_irredundant_primes(f, products);
    checked += static_cast<int>(products.size());
    release(products);
    man.Bdd_free(f);
  }
  EXPECT_GT(checked, 500);
}

TEST_F(BddppWideCover, IrredundantPrimesOfWideFunctions) {
  vars(64);
  std::vector<bdd> wide;
  wide.push_back(at_least(64, 1));   // or: 64 products
  wide.push_back(at_least(64, 64));  // and: one product
  wide.push_back(at_least(40, 2));   // 780 products
  wide.push_back(at_least(24, 21));  // 2024 products
  wide.push_back(parity(12));        // 2048 minterms
  for (int k = 0; k < 4; ++k)
    wide.push_back(random_sum(40, 20 + 20 * k, 6 + 3 * k, false));
  wide.push_back(random_sum(24, 12, 5, true));
  const std::size_t expected[] = {64, 1, 780, 2024, 2048};
  for (std::size_t i = 0; i < wide.size(); ++i) {
    SCOPED_TRACE("function " + std::to_string(i));
    std::vector<bdd> products;
    ASSERT_TRUE(man.Bdd_irredundant_primes(wide[i], products));
    if (i < 5) {
      EXPECT_EQ(products.size(), expected[i]);
    }
    check_irredundant_primes(wide[i], products);
    release(products);
  }
  for (bdd f : wide)
    man.Bdd_free(f);
  // Constants.
  std::vector<bdd> products;
  ASSERT_TRUE(man.Bdd_irredundant_primes(man.Bdd_zero(), products));
  EXPECT_TRUE(products.empty());
  ASSERT_TRUE(man.Bdd_irredundant_primes(man.Bdd_one(), products));
  EXPECT_EQ(products, std::vector<bdd>{man.Bdd_one()});
}

// Where the primes fit, the writer's entry gives exactly the method-2 cover.
TEST_F(BddppWideCover, TheMethodTwoCoverWhereThePrimesFit) {
  vars(24);
  for (int round = 0; round < 24; ++round) {
    bdd f = round == 0 ? at_least(15, 8)  // 6435 primes, all essential
                       : random_sum(8 + round % 16, 2 + round, 2 + round % 7, round % 4 == 0);
    std::vector<bdd> wide, method2;
    EXPECT_EQ(man.Bdd_sop_wide(f, wide), bddpp_manager::wide_cover::primes);
    man.Bdd_sop(f, method2, 2);
    EXPECT_EQ(wide, method2) << "round " << round;
    std::ostringstream a, b;
    man.BLIF_print(a, x[23], f, 2);
    EXPECT_EQ(man.BLIF_print_wide(b, x[23], f), bddpp_manager::wide_cover::primes);
    EXPECT_EQ(a.str(), b.str());
    release(wide);
    release(method2);
    man.Bdd_free(f);
  }
  // Constants print as BLIF_print prints them.
  for (bdd c : {man.Bdd_zero(), man.Bdd_one()}) {
    std::ostringstream a, b;
    man.BLIF_print(a, x[0], c, 2);
    EXPECT_EQ(man.BLIF_print_wide(b, x[0], c), bddpp_manager::wide_cover::primes);
    EXPECT_EQ(a.str(), b.str());
  }
}

// Parity of 17 inputs has 65536 primes: past the limit, the cover of its
// minterms is printed whole, 65536 rows, more than the printers allow.
TEST_F(BddppWideCover, PastThePrimeLimitTheIrredundantCoverIsPrinted) {
  vars(18);
  bdd f = parity(17);
  std::ostringstream out;
  EXPECT_EQ(man.BLIF_print_wide(out, x[17], f), bddpp_manager::wide_cover::irredundant);
  std::istringstream in(out.str());
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, ".names  x0 x1 x2 x3 x4 x5 x6 x7 x8 x9 x10 x11 x12 x13 x14 x15 x16 x17");
  std::vector<bool> seen(1u << 17, false);
  long rows = 0;
  while (std::getline(in, line)) {
    ++rows;
    ASSERT_EQ(line.size(), 19u) << line;
    ASSERT_EQ(line.substr(17), " 1");
    unsigned minterm = 0;
    int ones = 0;
    for (int i = 0; i < 17; ++i) {
      ASSERT_TRUE(line[i] == '0' || line[i] == '1') << line;
      minterm |= static_cast<unsigned>(line[i] - '0') << i;
      ones += line[i] - '0';
    }
    ASSERT_EQ(ones % 2, 1) << line;
    ASSERT_FALSE(seen[minterm]) << line;
    seen[minterm] = true;
  }
  EXPECT_EQ(rows, 65536);
  EXPECT_EQ(bddpp_manager::Wide_cover_message(bddpp_manager::wide_cover::irredundant, "y"),
            "warning: signal y has more than 50000 prime implicants: its cover is an irredundant "
            "cover of prime implicants, not the essential-first one");
  EXPECT_EQ(bddpp_manager::Wide_cover_message(bddpp_manager::wide_cover::primes, "y"), "");
  man.Bdd_free(f);
}

// Parity of 40 inputs would need 2^39 products: refused at once, nothing
// written; a smaller bound refuses a smaller cover the same way.
TEST_F(BddppWideCover, ACoverPastItsBoundIsRefusedWithoutOutput) {
  vars(41);
  bdd f = parity(40);
  std::ostringstream out;
  EXPECT_EQ(man.BLIF_print_wide(out, x[40], f), bddpp_manager::wide_cover::too_large);
  EXPECT_EQ(out.str(), "");
  std::vector<bdd> products;
  EXPECT_EQ(man.Bdd_sop_wide(f, products), bddpp_manager::wide_cover::too_large);
  EXPECT_TRUE(products.empty());
  man.Bdd_free(f);
  EXPECT_EQ(bddpp_manager::Wide_cover_message(bddpp_manager::wide_cover::too_large, "p"),
            "signal p: its cover would have more than 2000000 products");
  bdd g = at_least(40, 2);
  EXPECT_FALSE(man.Bdd_irredundant_primes(g, products, 779));
  EXPECT_TRUE(products.empty());
  EXPECT_TRUE(man.Bdd_irredundant_primes(g, products, 780));
  EXPECT_EQ(products.size(), 780u);
  release(products);
  man.Bdd_free(g);
}

}  // namespace
