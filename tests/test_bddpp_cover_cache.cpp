// Covers reused by truth table must be the covers the methods compute: the
// same products in the same order, for functions over any variables of the
// manager, after collections and after the order of the variables changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bddpp/bddpp_manager.h"

namespace {

class CoverCache : public ::testing::Test {
 protected:
  static constexpr int kVars = 10;
  bddpp_manager man;
  std::mt19937 rng{77};
  std::vector<bdd> products{std::vector<bdd>(kBddppMaxProducts)};

  void SetUp() override {
    for (int i = 0; i < kVars; ++i)
      man.New_var_last("v" + std::to_string(i));
    man.New_var_last("out");
  }
  void TearDown() override { EXPECT_EQ(bdd_debug_check(man.engine()), 0); }

  // A random function of the variables whose indexes are listed.
  bdd random_function(const std::vector<long>& indexes, std::uint64_t table) {
    bdd f = man.Bdd_dup(man.Bdd_zero());
    for (std::uint64_t m = 0; m < (std::uint64_t{1} << indexes.size()); ++m) {
      if (((table >> (m % 64)) & 1u) == 0) continue;
      bdd minterm = man.Bdd_dup(man.Bdd_one());
      for (std::size_t p = 0; p < indexes.size(); ++p) {
        bdd var = man.Bdd_var_by_index(indexes[p]);
        bdd literal = (m >> p) & 1u ? man.Bdd_dup(var) : man.Bdd_not(var);
        bdd next = man.Bdd_and(minterm, literal);
        man.Bdd_free(literal);
        man.Bdd_free(minterm);
        minterm = next;
      }
      bdd next = man.Bdd_or(f, minterm);
      man.Bdd_free(minterm);
      man.Bdd_free(f);
      f = next;
    }
    return f;
  }

  std::vector<long> random_indexes(int k) {
    std::vector<long> all;
    for (long i = 0; i < kVars; ++i)
      all.push_back(i);
    std::shuffle(all.begin(), all.end(), rng);
    all.resize(static_cast<std::size_t>(k));
    std::sort(all.begin(), all.end());
    return all;
  }

  // The products of the method itself, computed without the cache.
  std::vector<bdd> direct(bdd f, int method) {
    const int n = method == 1   ? man.Bdd_sop_1(f, products.data())
                  : method == 2 ? man.Bdd_sop_2(f, products.data())
                                : man.Bdd_sop_0(f, products.data());
    return take(n);
  }
  std::vector<bdd> through_sop(bdd f, int method) {
    return take(man.Bdd_sop(f, products.data(), method));
  }
  std::vector<bdd> take(int n) {
    std::vector<bdd> r(products.begin(), products.begin() + n);
    return r;
  }
  void release(const std::vector<bdd>& v) {
    for (bdd p : v)
      man.Bdd_free(p);
  }

  // Compares both ways for every method, twice through Bdd_sop (the second
  // time the cover is reused).
  void expect_same_covers(bdd f, const std::string& what) {
    for (int method : {0, 1, 2, 9}) {
      const std::vector<bdd> expected = direct(f, method);
      for (int pass = 0; pass < 2; ++pass) {
        const std::vector<bdd> got = through_sop(f, method);
        EXPECT_EQ(got, expected) << what << ", method " << method << ", pass " << pass;
        release(got);
      }
      release(expected);
    }
  }
};

TEST_F(CoverCache, ReusedCoversEqualComputedOnesOverAnyVariables) {
  int checked = 0;
  for (int round = 0; round < 120; ++round) {
    const int k = 1 + static_cast<int>(rng() % 8);  // 7 and 8 bypass the cache
    const std::uint64_t table = (std::uint64_t{rng()} << 32) | rng();
    // The same table over two sets of variables: the second reuses the
    // first's cover through another renaming.
    for (int copy = 0; copy < 2; ++copy) {
      bdd f = random_function(random_indexes(k), table);
      if (round % 7 == 0) man.Bdd_gc();
      if (man.Bdd_if_index(f) >= 0) {
        expect_same_covers(f, "round " + std::to_string(round) + ", k " + std::to_string(k));
        ++checked;
      }
      man.Bdd_free(f);
    }
  }
  EXPECT_GT(checked, 200);
}

TEST_F(CoverCache, CoversFollowANewVariableOrder) {
  // Functions whose covers are stored, then the order changes: the same
  // functions now have other tables over their supports, and the covers
  // must still be those computed in the new order.
  std::vector<bdd> functions;
  for (int round = 0; round < 40; ++round) {
    const int k = 2 + static_cast<int>(rng() % 5);
    bdd f = random_function(random_indexes(k), (std::uint64_t{rng()} << 32) | rng());
    for (int method : {1, 2})
      release(through_sop(f, method));
    functions.push_back(f);
  }
  // A bad order for x0·x5 + x1·x6 + ... makes the reordering move variables.
  bdd g = man.Bdd_dup(man.Bdd_zero());
  for (int i = 0; i < 5; ++i) {
    bdd both = man.Bdd_and(man.Bdd_var_by_index(i), man.Bdd_var_by_index(i + 5));
    bdd next = man.Bdd_or(g, both);
    man.Bdd_free(both);
    man.Bdd_free(g);
    g = next;
  }
  std::vector<std::string> before;
  for (long i = 0; i < kVars; ++i)
    before.push_back(man.Name_var_by_index(i));
  man.Bdd_var_reorder();
  std::vector<std::string> after;
  for (long i = 0; i < kVars; ++i)
    after.push_back(man.Name_var_by_index(i));
  EXPECT_NE(before, after) << "the reordering did not move any variable";
  for (std::size_t i = 0; i < functions.size(); ++i) {
    expect_same_covers(functions[i], "function " + std::to_string(i));
    man.Bdd_free(functions[i]);
  }
  man.Bdd_free(g);
}

// The printers read reused covers as rows; their texts must be those of the
// products the methods compute, printed one by one.
TEST_F(CoverCache, PrintedCoversEqualThePrintedProducts) {
  for (int round = 0; round < 150; ++round) {
    const int k = 1 + static_cast<int>(rng() % 8);
    bdd f = random_function(random_indexes(k), (std::uint64_t{rng()} << 32) | rng());
    if (round % 11 == 0) man.Bdd_gc();
    for (int method : {0, 1, 2}) {
      const std::vector<bdd> products = direct(f, method);
      std::string expected;
      for (std::size_t i = 0; i < products.size(); ++i) {
        if (i > 0) expected += " | ";
        expected += man.Print_product_to_String_pref_suff("&", "~(", ")", products[i], "<", ">");
      }
      if (products.empty()) expected = "0";
      // The cover as rows over the support, from the products' literals.
      const std::vector<long> columns = man.Support_indexes(f);
      std::string pla = "H ";
      for (long c : columns)
        pla += "[" + man.Name_var_by_index(c) + "] ";
      pla += "[out]:\n";
      if (columns.empty()) {
        pla += man.Bdd_is_tautology(f, 0) ? "0." : "1.";
      } else {
        for (std::size_t i = 0; i < products.size(); ++i) {
          std::vector<int> literals(static_cast<std::size_t>(man.Nb_bdd_vars()));
          man.Bdd_to_literals(products[i], literals.data());
          for (long c : columns)
            pla += std::string(literals[c] == 1 ? "1" : literals[c] == 0 ? "0" : "-") + ",";
          pla += i + 1 == products.size() ? " 1." : " 1;";
        }
      }
      release(products);
      for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(man.Print_sop_to_String_pref_suff(" | ", "&", "~(", ")", f, "<", ">", method),
                  expected)
            << "round " << round << ", method " << method;
        std::ostringstream out;
        man.PLA_print_pref_suff(out, man.Bdd_var_by_name("out"), f, "[", "]", "H ", ":\n", ";", ".",
                                ",", method);
        EXPECT_EQ(out.str(), pla) << "round " << round << ", method " << method;
      }
    }
    man.Bdd_free(f);
  }
}

}  // namespace

// A memo kept by the holder of a function gives the texts the walk gives, by
// any method in any order, and a memo of another manager is not taken.
TEST_F(CoverCache, MemoisedCoversEqualWalkedOnes) {
  bddpp_manager other;
  for (int i = 0; i < kVars; ++i)
    other.New_var_last("w" + std::to_string(i));
  other.New_var_last("out");
  const bdd out = man.Bdd_var_by_name("out");
  for (int round = 0; round < 100; ++round) {
    const int k = 1 + static_cast<int>(rng() % 8);
    const std::vector<long> indexes = random_indexes(k);
    bdd f = random_function(indexes, (std::uint64_t{rng()} << 32) | rng());
    const std::vector<long> support = man.Support_indexes(f);
    auto sop = [&](int method, bddpp_cover_memo* memo) {
      std::ostringstream text;
      {
        tessaro::chunked_buffer buffer(text);
        man.Append_sop(buffer, " + ", " * ", "!", "", f, method, &support, memo);
      }
      return text.str();
    };
    auto blif = [&](int method, bddpp_cover_memo* memo) {
      std::ostringstream text;
      man.BLIF_print(text, out, f, method, &support, memo);
      return text.str();
    };
    bddpp_cover_memo memo;
    const int first = static_cast<int>(rng() % 3);
    for (int pass = 0; pass < 2; ++pass)
      for (int method : {first, (first + 1) % 3, (first + 2) % 3}) {
        const std::string what = "round " + std::to_string(round) + ", method " +
                                 std::to_string(method) + ", pass " + std::to_string(pass);
        EXPECT_EQ(sop(method, &memo), sop(method, nullptr)) << what;
        EXPECT_EQ(blif(method, &memo), blif(method, nullptr)) << what;
      }
    // The memo of f in `man` says nothing of a function of `other`.
    bdd g = other.Bdd_not(other.Bdd_var_by_index(indexes[0]));
    const std::vector<long> g_support = other.Support_indexes(g);
    std::ostringstream with_memo, without;
    other.BLIF_print(with_memo, other.Bdd_var_by_name("out"), g, 2, &g_support, &memo);
    other.BLIF_print(without, other.Bdd_var_by_name("out"), g, 2, &g_support);
    EXPECT_EQ(with_memo.str(), without.str()) << "round " << round;
    other.Bdd_free(g);
    man.Bdd_free(f);
  }
}
