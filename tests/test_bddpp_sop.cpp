// Tests of the sums of products: the exact products and their order for
// small functions, literal vectors, minterms and truth tables, the fatal
// messages, and properties of every method over random functions checked
// against a brute-force enumeration of cubes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bddpp/bddpp_manager.h"

namespace {

using Cubes = std::vector<std::string>;

class BddppSop : public ::testing::Test {
 protected:
  bddpp_manager man;
  std::vector<bdd> x;  // x[i] is the variable at index i

  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  void TearDown() override { EXPECT_EQ(bdd_debug_check(man.engine()), 0); }

  void vars(int n) {
    for (int i = 0; i < n; ++i)
      x.push_back(man.New_var_last(std::string(1, static_cast<char>('a' + i))));
  }

  // n variables created each before the previous one: ids run against indexes.
  void vars_created_upwards(int n) {
    bdd top = man.New_var_last("a");
    for (int i = 1; i < n; ++i)
      top = man.New_var_before(top, std::string(1, static_cast<char>('a' + i)));
    for (int i = 0; i < n; ++i)
      x.push_back(man.Bdd_var_by_index(i));
  }

  long live_nodes() {
    man.Bdd_gc();
    return man.Bdd_total_size();
  }

  // A product as one character per variable index: '1', '0' or '-'.
  std::string text(bdd product) {
    std::vector<int> literals(x.size());
    man.Bdd_to_literals(product, literals.data());
    std::string s;
    for (int l : literals)
      s += l == 1 ? '1' : l == 0 ? '0' : '-';
    return s;
  }

  // The products of f by one method, as texts; the references are released.
  Cubes sop(bdd f, int method) {
    std::vector<bdd> out(kBddppMaxProducts);
    const int n = man.Bdd_sop(f, out.data(), method);
    return texts(out.data(), n);
  }

  Cubes primes(bdd f) {
    std::vector<bdd> out(kBddppMaxProducts + 1);
    const int n = man.Bdd_prime_implicants(f, out.data());
    return texts(out.data(), n);
  }

  Cubes texts(bdd* products, int n) {
    Cubes result;
    for (int i = 0; i < n; ++i) {
      result.push_back(text(products[i]));
      man.Bdd_free(products[i]);
    }
    return result;
  }

  // The function with the given truth table (entry a: the value where bit i
  // of a is the variable of index i), built by Shannon expansion.
  bdd from_table(const std::vector<bool>& table, int level = 0, std::size_t base = 0) {
    if (level == static_cast<int>(x.size()))
      return man.Bdd_dup(table[base] ? man.Bdd_one() : man.Bdd_zero());
    bdd t = from_table(table, level + 1, base | (std::size_t{1} << level));
    bdd e = from_table(table, level + 1, base);
    bdd r = man.Bdd_ite(x[level], t, e);
    man.Bdd_free(t);
    man.Bdd_free(e);
    return r;
  }
};

TEST_F(BddppSop, ConsensusIsNotNeededInTheCover) {
  vars(3);  // u, v, w
  bdd uv = man.Bdd_and(x[0], x[1]);
  bdd nu = man.Bdd_not(x[0]);
  bdd nuw = man.Bdd_and(nu, x[2]);
  bdd f = man.Bdd_or(uv, nuw);
  const long baseline = live_nodes();
  EXPECT_EQ(primes(f), (Cubes{"11-", "0-1", "-11"}));
  EXPECT_EQ(sop(f, 2), (Cubes{"11-", "0-1"}));
  bdd essential[4], other[4];
  int n_essential = -1, n_other = -1;
  man.Bdd_essential_implicants(f, n_essential, essential, n_other, other);
  EXPECT_EQ(texts(essential, n_essential), (Cubes{"11-", "0-1"}));
  EXPECT_EQ(texts(other, n_other), (Cubes{"-11"}));
  EXPECT_EQ(sop(f, 1), (Cubes{"11-", "0-1"}));
  EXPECT_EQ(sop(f, 0), (Cubes{"11-", "0-1"}));
  EXPECT_EQ(live_nodes(), baseline);
  for (bdd g : {uv, nu, nuw, f})
    man.Bdd_free(g);
}

TEST_F(BddppSop, ALaterLargerImplicantReplacesASmallerOneInPlace) {
  vars(2);  // u, v
  bdd f = man.Bdd_or(x[0], x[1]);
  EXPECT_EQ(primes(f), (Cubes{"1-", "-1"}));
  EXPECT_EQ(sop(f, 2), (Cubes{"1-", "-1"}));
  // Method 0 takes u, then the rest !u·v enlarged against !f to v.
  EXPECT_EQ(sop(f, 0), (Cubes{"1-", "-1"}));
  EXPECT_EQ(sop(f, 1), (Cubes{"1-", "-1"}));
  man.Bdd_free(f);
}

TEST_F(BddppSop, ConstantsAndSingleLiterals) {
  vars(3);
  const bdd zero = man.Bdd_zero(), one = man.Bdd_one();
  EXPECT_EQ(sop(zero, 0), Cubes{});
  EXPECT_EQ(sop(zero, 2), Cubes{});
  bdd out[2];
  ASSERT_EQ(man.Bdd_sop(zero, out, 1), 1);
  EXPECT_EQ(out[0], zero);
  ASSERT_EQ(man.Bdd_prime_implicants(zero, out), 1);
  EXPECT_EQ(out[0], zero);
  for (int method : {0, 1, 2, 7, -1}) {
    ASSERT_EQ(man.Bdd_sop(one, out, method), 1) << method;
    EXPECT_EQ(out[0], one);
    ASSERT_EQ(man.Bdd_sop(x[1], out, method), 1) << method;
    EXPECT_EQ(out[0], x[1]);
    bdd nw = man.Bdd_not(x[2]);
    EXPECT_EQ(sop(nw, method), (Cubes{"--0"})) << method;
    man.Bdd_free(nw);
  }
}

TEST_F(BddppSop, NullFunctionIsFatal) {
  vars(1);
  bdd out[1];
  EXPECT_EXIT(
      man.Bdd_sop(0, out, 2), ::testing::ExitedWithCode(1),
      ::testing::Eq(std::string("ERROR in bddpp_manager::Bdd_sop():\n"
                                "   bdd referenced by the adress: 0, is not allocated ...\n")));
}

TEST_F(BddppSop, TreeWithoutManagerIsUnusable) {
  testing::internal::CaptureStderr();
  Tdd tree(nullptr, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in Tdd::Tdd() : error: bdd manager not yet created !\n");
  bdd out[1];
  EXPECT_EQ(tree.Bdd_prime_implicants(out), 0);
}

TEST_F(BddppSop, LiteralVectors) {
  vars(3);  // u, v, w
  bdd nu = man.Bdd_not(x[0]);
  bdd nuw = man.Bdd_and(nu, x[2]);
  std::vector<int> literals(3, -1);
  man.Bdd_to_literals(nuw, literals.data());
  EXPECT_EQ(literals, (std::vector<int>{0, 2, 1}));

  testing::internal::CaptureStderr();
  man.Bdd_to_literals(man.Bdd_zero(), literals.data());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(literals, (std::vector<int>{2, 2, 2}));
  literals.assign(3, -1);
  testing::internal::CaptureStderr();
  man.Bdd_to_literals(man.Bdd_one(), literals.data());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "error in  bddpp_manager::Bdd_to_literals() :\nconstant 1 is not a literal ...\n");
  EXPECT_EQ(literals, (std::vector<int>{2, 2, 2}));

  // Not a product: a variable is positive when f can be true with it at 1.
  bdd f = man.Bdd_or(nuw, x[1]);  // !u·w + v
  man.Bdd_to_literals(f, literals.data());
  EXPECT_EQ(literals, (std::vector<int>{1, 1, 1}));
  bdd g = man.Bdd_and(nu, f);  // !u·w + !u·v
  man.Bdd_to_literals(g, literals.data());
  EXPECT_EQ(literals, (std::vector<int>{0, 1, 1}));

  const int u_not_w[] = {1, 2, 0};
  bdd p = man.Literals_to_bdd(u_not_w);
  bdd nw = man.Bdd_not(x[2]);
  bdd expected = man.Bdd_and(x[0], nw);
  EXPECT_EQ(p, expected);
  const int none[] = {2, 2, 2};
  EXPECT_EQ(man.Literals_to_bdd(none), man.Bdd_one());
  const int odd[] = {7, -3, 1};
  EXPECT_EQ(man.Literals_to_bdd(odd), x[2]);

  // f restricted to u = 0.
  const int u_low[] = {0, 2, 2};
  bdd r = man.Bdd_eval(f, u_low);
  bdd v_or_w = man.Bdd_or(x[1], x[2]);
  EXPECT_EQ(r, v_or_w);
  for (bdd h : {nu, nuw, f, g, p, nw, expected, r, v_or_w})
    man.Bdd_free(h);
}

TEST_F(BddppSop, PresenceFollowsTheIndexOrder) {
  vars(4);
  bdd f = man.Bdd_xor(x[3], x[1]);
  std::vector<int> presence(4, -1);
  man.Present_variables(f, presence.data());
  EXPECT_EQ(presence, (std::vector<int>{0, 1, 0, 1}));
  man.Present_variables(man.Bdd_one(), presence.data());
  EXPECT_EQ(presence, (std::vector<int>{0, 0, 0, 0}));
  man.Bdd_free(f);
}

TEST_F(BddppSop, MintermsAndTruthTables) {
  vars(3);  // u, v, w
  EXPECT_EQ(man.Minterm(-1, 3, x.data()), man.Bdd_zero());
  bdd m5 = man.Minterm(5, 3, x.data());
  EXPECT_EQ(text(m5), "101");
  bdd m0 = man.Minterm(0, 0, x.data());
  EXPECT_EQ(m0, man.Bdd_one());
  // Bit i goes with vars[i], whatever their order in the manager.
  const bdd reversed[] = {x[2], x[1], x[0]};
  bdd m1 = man.Minterm(1, 3, reversed);
  EXPECT_EQ(text(m1), "001");

  bdd uv = man.Bdd_and(x[0], x[1]);
  bdd nu = man.Bdd_not(x[0]);
  bdd nuw = man.Bdd_and(nu, x[2]);
  bdd f = man.Bdd_or(uv, nuw);
  char table[8];
  man.Truth_table(f, 3, x.data(), table);
  EXPECT_EQ(std::string(table, 8), "00011011");
  // Over u and v only, w is still free where u is 0.
  man.Truth_table(f, 2, x.data(), table);
  EXPECT_EQ(std::string(table, 4), "?0?1");
  for (bdd g : {m5, m0, m1, uv, nu, nuw, f})
    man.Bdd_free(g);
}

// ---- Random functions against brute force ----

// A cube over n variables: the variables of `care` take the values in `value`.
struct Cube {
  unsigned care;
  unsigned value;
  bool operator<(const Cube& o) const { return care != o.care ? care < o.care : value < o.value; }
};

std::string cube_text(const Cube& c, int n) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += (c.care >> i & 1u) == 0 ? '-' : (c.value >> i & 1u) != 0 ? '1' : '0';
  return s;
}

bool implies(const Cube& c, const std::vector<bool>& table) {
  for (unsigned a = 0; a < table.size(); ++a) {
    if ((a & c.care) == c.value && !table[a]) return false;
  }
  return true;
}

// Every prime implicant of the function, and the essential ones, by
// enumerating all 3^n cubes.
struct BruteForce {
  std::set<std::string> primes;
  std::set<std::string> essential;

  BruteForce(const std::vector<bool>& table, int n) {
    std::vector<Cube> prime_cubes;
    const unsigned all = (1u << n) - 1;
    for (unsigned care = 0; care <= all; ++care) {
      for (unsigned value = care;; value = (value - 1) & care) {
        Cube c{care, value};
        if (implies(c, table)) {
          bool prime = true;
          for (int i = 0; i < n && prime; ++i) {
            if (care >> i & 1u) {
              const unsigned bit = 1u << i;
              prime = !implies(Cube{care & ~bit, value & ~bit}, table);
            }
          }
          if (prime) prime_cubes.push_back(c);
        }
        if (value == 0) break;
      }
    }
    for (const Cube& c : prime_cubes)
      primes.insert(cube_text(c, n));
    for (unsigned a = 0; a < table.size(); ++a) {
      if (!table[a]) continue;
      const Cube* only = nullptr;
      int covering = 0;
      for (const Cube& c : prime_cubes) {
        if ((a & c.care) == c.value) {
          ++covering;
          only = &c;
        }
      }
      if (covering == 1) essential.insert(cube_text(*only, n));
    }
  }
};

class BddppSopRandom : public BddppSop {
 protected:
  std::mt19937 rng{2024};

  std::vector<bool> random_table(int n) {
    // Sparse, balanced and dense functions.
    static const double densities[] = {0.15, 0.5, 0.85};
    std::bernoulli_distribution bit(densities[rng() % 3]);
    std::vector<bool> table(std::size_t{1} << n);
    for (std::size_t a = 0; a < table.size(); ++a)
      table[a] = bit(rng);
    return table;
  }

  // Checks the products of one method: each is a product of literals
  // implying f, they cover f, and for method 1 and 2 each is prime.
  void check_cover(bdd f, int method, const BruteForce& brute, std::vector<bdd>& products,
                   int count) {
    bdd cover = man.Bdd_dup(man.Bdd_zero());
    for (int i = 0; i < count; ++i) {
      const bdd p = products[i];
      std::vector<int> literals(x.size());
      man.Bdd_to_literals(p, literals.data());
      bdd rebuilt = man.Literals_to_bdd(literals.data());
      EXPECT_EQ(rebuilt, p) << "method " << method << ": not a product";
      man.Bdd_free(rebuilt);
      EXPECT_TRUE(man.Bdd_imply(p, f)) << "method " << method << ": " << text(p);
      if (method != 0) {
        EXPECT_EQ(brute.primes.count(text(p)), 1u)
            << "method " << method << ": not prime " << text(p);
      }
      bdd next = man.Bdd_or(cover, p);
      man.Bdd_free(cover);
      cover = next;
    }
    EXPECT_EQ(cover, f) << "method " << method << " does not cover f";
    man.Bdd_free(cover);
  }
};

TEST_F(BddppSopRandom, EveryMethodCoversRandomFunctionsWithImplicants) {
  vars_created_upwards(8);
  ASSERT_EQ(man.Bdd_if_id(x[0]), 7);
  const long baseline = live_nodes();
  std::vector<bdd> products(kBddppMaxProducts + 1);
  int functions = 0;
  for (int n = 1; n <= 8; ++n) {
    for (int round = 0; round < (n <= 4 ? 30 : 12); ++round, ++functions) {
      // Functions of the last n variables, so that the upper ones are unused.
      std::vector<bool> small = random_table(n);
      std::vector<bool> table(std::size_t{1} << 8);
      for (std::size_t a = 0; a < table.size(); ++a)
        table[a] = small[a >> (8 - n)];
      bdd f = from_table(table);
      if (round % 3 == 0) man.Bdd_gc();
      const BruteForce brute(table, 8);
      SCOPED_TRACE("n = " + std::to_string(n) + ", round " + std::to_string(round));
      if (man.Bdd_if_index(f) < 0) {
        // Constants have their own answers (see ConstantsAndSingleLiterals).
        man.Bdd_free(f);
        continue;
      }

      for (int method = 0; method <= 2; ++method) {
        const int count = man.Bdd_sop(f, products.data(), method);
        if (method == 1) man.Bdd_gc();
        check_cover(f, method, brute, products, count);
        if (method == 2) {
          std::set<std::string> found;
          for (int i = 0; i < count; ++i)
            found.insert(text(products[i]));
          for (const std::string& e : brute.essential)
            EXPECT_EQ(found.count(e), 1u) << "essential prime missing: " << e;
        }
        if (method == 1) {
          // Irredundant: no product can go.
          for (int i = 0; i < count; ++i) {
            bdd others = man.Bdd_dup(man.Bdd_zero());
            for (int j = 0; j < count; ++j) {
              if (j == i) continue;
              bdd next = man.Bdd_or(others, products[j]);
              man.Bdd_free(others);
              others = next;
            }
            EXPECT_NE(others, f) << "redundant product " << i;
            man.Bdd_free(others);
          }
        }
        for (int i = 0; i < count; ++i)
          man.Bdd_free(products[i]);
      }

      const int n_primes = man.Bdd_prime_implicants(f, products.data());
      std::set<std::string> prime_texts;
      for (int i = 0; i < n_primes; ++i)
        prime_texts.insert(text(products[i]));
      EXPECT_EQ(prime_texts, brute.primes);
      EXPECT_EQ(static_cast<std::size_t>(n_primes), prime_texts.size()) << "duplicate primes";
      // The same primes in the same order as the plain walk over the tree,
      // with its entries compared by engine operations, then filtered.
      std::vector<bdd> walked(kBddppMaxProducts + 1);
      Tdd tree(&man, f);
      const int n_walked = tree.Bdd_implicants_loc(man.Bdd_one(), 0, walked.data());
      std::vector<bdd> kept;
      for (int j = 0; j < n_walked; ++j) {
        const bdd p = walked[j];
        bool implies_earlier = false;
        for (bdd earlier : kept)
          implies_earlier = implies_earlier || man.Bdd_imply(p, earlier);
        if (implies_earlier) {
          man.Bdd_free(p);
        } else {
          kept.push_back(p);
        }
      }
      EXPECT_EQ(texts(kept.data(), static_cast<int>(kept.size())),
                texts(products.data(), n_primes));

      std::vector<bdd> essential(kBddppMaxProducts), other(kBddppMaxProducts);
      int n_essential = 0, n_other = 0;
      man.Bdd_essential_implicants(f, n_essential, essential.data(), n_other, other.data());
      std::set<std::string> essential_texts;
      for (int i = 0; i < n_essential; ++i)
        essential_texts.insert(text(essential[i]));
      EXPECT_EQ(essential_texts, brute.essential);
      EXPECT_EQ(n_essential + n_other, n_primes);
      texts(essential.data(), n_essential);
      texts(other.data(), n_other);

      std::vector<int> presence(8);
      man.Present_variables(f, presence.data());
      for (int i = 0; i < 8; ++i) {
        bool depends = false;
        for (std::size_t a = 0; a < table.size(); ++a)
          depends = depends || table[a] != table[a ^ (std::size_t{1} << i)];
        EXPECT_EQ(presence[i], depends ? 1 : 0) << "variable " << i;
      }

      std::string truth(table.size(), ' ');
      man.Truth_table(f, 8, x.data(), &truth[0]);
      std::string expected;
      for (bool b : table)
        expected += b ? '1' : '0';
      EXPECT_EQ(truth, expected);
      man.Bdd_free(f);
    }
  }
  EXPECT_EQ(functions, 4 * 30 + 4 * 12);
  EXPECT_EQ(live_nodes(), baseline);
}

}  // namespace
