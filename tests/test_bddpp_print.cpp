// Printers of products, sums and covers: exact texts for small functions,
// and covers of random functions read back row by row and compared with the
// function's truth table.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bddpp/bddpp_manager.h"

namespace {

class BddppPrint : public ::testing::Test {
 protected:
  bddpp_manager man;
  std::vector<bdd> v;

  void TearDown() override { EXPECT_EQ(bdd_debug_check(man.engine()), 0); }

  void vars(std::initializer_list<const char*> names) {
    for (const char* n : names)
      v.push_back(man.New_var_last(n));
  }
  std::string blif(bdd var, bdd f, int method = 2) {
    std::ostringstream out;
    man.PLA_print_pref_suff(out, var, f, "", "", ".names  ", "\n", "\n", "\n", "", method);
    std::ostringstream out2;
    if (method == 2) {
      man.BLIF_print(out2, var, f, 2);
      EXPECT_EQ(out.str(), out2.str());
    }
    return out.str();
  }
  bdd And(bdd f, bdd g) { return keep(man.Bdd_and(f, g)); }
  bdd Or(bdd f, bdd g) { return keep(man.Bdd_or(f, g)); }
  bdd Not(bdd f) { return keep(man.Bdd_not(f)); }
  bdd keep(bdd f) {
    held.push_back(f);
    return f;
  }
  ~BddppPrint() override {
    for (bdd f : held)
      man.Bdd_free(f);
  }
  std::vector<bdd> held;
};

}  // namespace

TEST_F(BddppPrint, WorkedExamplesAsCovers) {
  vars({"u", "v", "w", "y"});
  bdd u = v[0], vv = v[1], w = v[2], y = v[3];
  bdd f = Or(And(u, vv), And(Not(u), w));
  EXPECT_EQ(blif(y, f), ".names  u v w y\n11- 1\n0-1 1\n");
  EXPECT_EQ(blif(y, Or(u, vv)), ".names  u v y\n1- 1\n-1 1\n");
  EXPECT_EQ(blif(y, u), ".names  u y\n1 1\n");
  EXPECT_EQ(blif(y, Not(u)), ".names  u y\n0 1\n");
  EXPECT_EQ(blif(y, man.Bdd_one()), ".names  y\n1\n");
  EXPECT_EQ(blif(y, man.Bdd_zero()), ".names  y\n0\n");
  // Columns follow the variable order, whatever the order of the source.
  EXPECT_EQ(blif(u, And(w, Not(vv))), ".names  v w u\n01 1\n");
}

TEST_F(BddppPrint, PrefixSuffixSeparatorsAndTheOtherMethods) {
  vars({"u", "v", "w", "y"});
  std::ostringstream out;
  man.PLA_print_pref_suff(out, v[3], Or(And(v[0], Not(v[1])), v[2]), "<", ">", "H ", " |\n", " ;\n",
                          " .\n", ",", 0);
  // Method 0 gives disjoint products: the rows must cover the function exactly.
  const std::string text = out.str();
  EXPECT_EQ(text.substr(0, 19), "H <u> <v> <w> <y> |");
  EXPECT_NE(text.find(" .\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 3), " .\n");
}

TEST_F(BddppPrint, ProductAndSumTexts) {
  vars({"u", "v", "w"});
  bdd f = Or(And(v[0], Not(v[1])), v[2]);
  EXPECT_EQ(man.Print_sop_to_String(" + ", " * ", "!", "", f, 1), "u * !v + w");
  for (int method = 0; method < 3; ++method) {
    EXPECT_EQ(man.Print_sop_to_String(" + ", " * ", "!", "", man.Bdd_zero(), method), "0");
    EXPECT_EQ(man.Print_sop_to_String(" + ", " * ", "!", "", man.Bdd_one(), method), "1");
  }
  EXPECT_EQ(man.Print_product_to_String(" & ", "~(", ")", And(Not(v[0]), v[2])), "~(u) & w");
  EXPECT_EQ(man.Print_product_to_String_pref_suff(".", "-", "", v[1], "[", "]"), "[v]");
  std::ostringstream s1, s2;
  man.Print_sop(" | ", "", "'", "'", s1, Not(v[0]), 2);
  man.Print_product_pref_suff("", "'", "", s2, Not(v[1]), "p_", "_s");
  EXPECT_EQ(s1.str(), "'u'");
  EXPECT_EQ(s2.str(), "'p_v_s");
}

// Random functions of up to 8 inputs printed by every method: the rows,
// read back independently, must give the truth table.
TEST_F(BddppPrint, RandomCoversReadBackAreTheFunction) {
  vars({"a", "b", "c", "d", "e", "f", "g", "h", "out"});
  std::mt19937 rng(7);
  for (int round = 0; round < 120; ++round) {
    const int n = 1 + round % 8;
    std::vector<int> table(1u << n);
    const int density = static_cast<int>(rng() % 5);
    for (int& bit : table)
      bit = static_cast<int>(rng() % 4) < density ? 1 : 0;
    // Build f from its minterms over the first n variables.
    bdd f = man.Bdd_dup(man.Bdd_zero());
    for (unsigned m = 0; m < table.size(); ++m) {
      if (!table[m]) continue;
      bdd cube = man.Bdd_dup(man.Bdd_one());
      for (int i = 0; i < n; ++i) {
        bdd lit = (m >> i) & 1 ? man.Bdd_dup(v[i]) : man.Bdd_not(v[i]);
        bdd next = man.Bdd_and(cube, lit);
        man.Bdd_free(cube);
        man.Bdd_free(lit);
        cube = next;
      }
      bdd next = man.Bdd_or(f, cube);
      man.Bdd_free(f);
      man.Bdd_free(cube);
      f = next;
    }
    if (round % 10 == 0) man.Bdd_gc();
    for (int method = 0; method < 3; ++method) {
      std::istringstream in(blif(v[8], f, method));
      std::string header;
      std::getline(in, header);
      std::istringstream names(header.substr(8));
      std::vector<int> columns;
      for (std::string name; names >> name;)
        if (name != "out") columns.push_back(name[0] - 'a');
      std::vector<std::string> rows;
      for (std::string row; std::getline(in, row);)
        rows.push_back(row);
      for (unsigned m = 0; m < table.size(); ++m) {
        int value = 0;
        if (columns.empty()) {
          ASSERT_EQ(rows.size(), 1u);
          value = rows[0] == "1";
        }
        for (const std::string& row : rows) {
          if (columns.empty()) break;
          ASSERT_EQ(row.size(), columns.size() + 2) << row;
          ASSERT_EQ(row.substr(columns.size()), " 1");
          bool match = true;
          for (size_t c = 0; c < columns.size(); ++c) {
            const int bit = (m >> columns[c]) & 1;
            if ((row[c] == '1' && !bit) || (row[c] == '0' && bit)) match = false;
          }
          if (match) value = 1;
        }
        ASSERT_EQ(value, table[m]) << "round " << round << " method " << method;
      }
      // Only the variables f depends on are columns, in index order.
      for (size_t c = 1; c < columns.size(); ++c)
        EXPECT_LT(columns[c - 1], columns[c]);
    }
    man.Bdd_free(f);
  }
}
