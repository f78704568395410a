// Tests of the printers: exact texts of products, sums and covers for small
// functions, the layout strings of the PLA printer, and random functions
// whose printed covers and sums are read back and compared with the truth
// table they were built from, and whose covers written in place match the
// text formatted from their products. The product limit of covers is
// tested in test_bddpp_print_limits.cpp.
#include <gtest/gtest.h>

#include <cstdint>
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
  std::vector<bdd> x;      // x[i] is the variable at index i
  std::vector<bdd> owned;  // results released at the end of the test

  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  void TearDown() override {
    for (bdd f : owned)
      man.Bdd_free(f);
    EXPECT_EQ(bdd_debug_check(man.engine()), 0);
  }

  void vars(const std::vector<std::string>& names) {
    for (const std::string& name : names)
      x.push_back(man.New_var_last(name));
  }
  bdd keep(bdd f) {
    owned.push_back(f);
    return f;
  }
  bdd AND(bdd f, bdd g) { return keep(man.Bdd_and(f, g)); }
  bdd OR(bdd f, bdd g) { return keep(man.Bdd_or(f, g)); }
  bdd NOT(bdd f) { return keep(man.Bdd_not(f)); }

  std::string blif(bdd var, bdd f, int method) {
    std::ostringstream out;
    man.BLIF_print(out, var, f, method);
    return out.str();
  }

  long live_nodes() {
    man.Bdd_gc();
    return man.Bdd_total_size();
  }
};

TEST_F(BddppPrint, WorkedCoversOfTheBlifWriter) {
  vars({"u", "v", "w", "y"});
  const bdd u = x[0], v = x[1], w = x[2], y = x[3];
  bdd mux = OR(AND(u, v), AND(NOT(u), w));
  EXPECT_EQ(blif(y, mux, 2), ".names  u v w y\n11- 1\n0-1 1\n");
  EXPECT_EQ(blif(y, OR(u, v), 2), ".names  u v y\n1- 1\n-1 1\n");
  EXPECT_EQ(blif(y, u, 2), ".names  u y\n1 1\n");
  EXPECT_EQ(blif(y, NOT(u), 2), ".names  u y\n0 1\n");
  // The output may sit anywhere in the order, even above its inputs.
  EXPECT_EQ(blif(u, AND(w, NOT(y)), 2), ".names  w y u\n10 1\n");
}

TEST_F(BddppPrint, ConstantsPrintAloneWhateverTheMethod) {
  vars({"u", "y"});
  for (int method : {0, 1, 2}) {
    SCOPED_TRACE(method);
    EXPECT_EQ(blif(x[1], man.Bdd_one(), method), ".names  y\n1\n");
    EXPECT_EQ(blif(x[1], man.Bdd_zero(), method), ".names  y\n0\n");
    EXPECT_EQ(man.Print_sop_to_String(" + ", " * ", "!", "", man.Bdd_one(), method), "1");
    EXPECT_EQ(man.Print_sop_to_String(" + ", " * ", "!", "", man.Bdd_zero(), method), "0");
  }
  EXPECT_EQ(man.Print_product_to_String(" * ", "!", "", man.Bdd_one()), "1");
  EXPECT_EQ(man.Print_product_to_String(" * ", "!", "", man.Bdd_zero()), "0");
  // A constant output name is its value.
  EXPECT_EQ(blif(man.Bdd_one(), x[0], 2), ".names  u 1\n1 1\n");
}

TEST_F(BddppPrint, ColumnsAreTheSupportInVariableOrder) {
  vars({"u", "v", "w", "y"});
  const bdd u = x[0], v = x[1], w = x[2], y = x[3];
  // v occurs in the source of the function but the function does not read it.
  bdd only_u = OR(AND(u, v), AND(u, NOT(v)));
  EXPECT_EQ(blif(y, only_u, 2), ".names  u y\n1 1\n");
  bdd u_xor_w = keep(man.Bdd_xor(w, u));
  EXPECT_EQ(blif(y, u_xor_w, 2), ".names  u w y\n10 1\n01 1\n");

  // Variables created bottom-up: creation order runs against the order.
  bddpp_manager other;
  bdd c = other.New_var_last("c");
  bdd b = other.New_var_before(c, "b");
  bdd a = other.New_var_before(b, "a");
  bdd out = other.New_var_last("out");
  bdd nc = other.Bdd_not(c);
  bdd f = other.Bdd_and(nc, a);
  std::ostringstream text;
  other.BLIF_print(text, out, f, 2);
  EXPECT_EQ(text.str(), ".names  a c out\n10 1\n");
  other.Bdd_free(f);
  other.Bdd_free(nc);
}

TEST_F(BddppPrint, EveryLayoutStringOfThePlaPrinterHasItsPlace) {
  vars({"u", "v", "w", "y"});
  const bdd u = x[0], v = x[1], w = x[2], y = x[3];
  bdd mux = OR(AND(u, v), AND(NOT(u), w));
  auto pla = [&](bdd f) {
    std::ostringstream out;
    man.PLA_print_pref_suff(out, y, f, "<", ">", "H:", "|\n", ";\n", ".\n", ",", 2);
    return out.str();
  };
  EXPECT_EQ(pla(mux), "H:<u> <v> <w> <y>|\n1,1,-, 1;\n0,-,1, 1.\n");
  EXPECT_EQ(pla(u), "H:<u> <y>|\n1, 1.\n");
  EXPECT_EQ(pla(man.Bdd_one()), "H:<y>|\n1.\n");
  EXPECT_EQ(pla(man.Bdd_zero()), "H:<y>|\n0.\n");
}

TEST_F(BddppPrint, ProductAndSumTexts) {
  vars({"u", "v", "w"});
  const bdd u = x[0], v = x[1], w = x[2];
  bdd product = AND(AND(w, u), NOT(v));
  EXPECT_EQ(man.Print_product_to_String(" * ", "!", "", product), "u * !v * w");
  EXPECT_EQ(man.Print_product_to_String_pref_suff(" & ", "~(", ")", product, "p_", "'"),
            "p_u' & ~(p_v') & p_w'");
  EXPECT_EQ(man.Print_product_to_String("", "", "", NOT(w)), "w");

  std::ostringstream streamed;
  man.Print_product(" * ", "!", "", streamed, product);
  streamed << "|";
  man.Print_product_pref_suff(".", "-", "", streamed, product, "[", "]");
  EXPECT_EQ(streamed.str(), "u * !v * w|[u].-[v].[w]");

  // The equations' text form: products " + ", literals " * ", method 1.
  bdd sum = OR(AND(u, NOT(v)), w);
  EXPECT_EQ(man.Print_sop_to_String(" + ", " * ", "!", "", sum, 1), "u * !v + w");
  // Method 2 puts the essential primes in the order the tree found them.
  EXPECT_EQ(man.Print_sop_to_String(" + ", " * ", "!", "", sum, 2), "w + u * !v");
  bdd mux = OR(AND(u, v), AND(NOT(u), w));
  EXPECT_EQ(man.Print_sop_to_String_pref_suff(" | ", "&", "!", "", mux, "s.", "", 2),
            "s.u&s.v | !s.u&s.w");
  std::ostringstream sums;
  man.Print_sop(" + ", " * ", "!", "", sums, mux, 2);
  sums << "|";
  man.Print_sop_pref_suff("+", "", "/", "", sums, mux, "", "_n", 2);
  EXPECT_EQ(sums.str(), "u * v + !u * w|u_nv_n+/u_nw_n");
}

// A function that is not a product is printed from its literal vector: a
// variable is positive when the function holds somewhere with it at 1.
TEST_F(BddppPrint, ANonProductIsReadThroughItsLiteralVector) {
  vars({"u", "v", "w"});
  bdd u_xor_v = keep(man.Bdd_xor(x[0], x[1]));
  EXPECT_EQ(man.Print_product_to_String(" * ", "!", "", u_xor_v), "u * v");
  bdd f = OR(AND(NOT(x[0]), NOT(x[2])), AND(x[0], AND(NOT(x[1]), NOT(x[2]))));
  // The path of u at 1 has v at 0, yet the function holds with v at 1.
  EXPECT_EQ(man.Print_product_to_String(" * ", "!", "", f), "u * v * !w");
}

TEST_F(BddppPrint, ANullFunctionIsFatal) {
  vars({"u", "y"});
  const std::string message =
      "ERROR in bddpp_manager::Bdd_sop():\n"
      "   bdd referenced by the adress: 0, is not allocated ...\n";
  std::ostringstream out;
  EXPECT_EXIT(man.BLIF_print(out, x[1], 0, 2), ::testing::ExitedWithCode(1),
              ::testing::Eq(message));
  EXPECT_EXIT(man.Print_sop(" + ", " * ", "!", "", out, 0, 1), ::testing::ExitedWithCode(1),
              ::testing::Eq(message));
}

// ---- Random functions read back from their printed forms ----

// Value of every assignment (bit i of the number: variable at index i).
using Table = std::vector<bool>;

class BddppPrintRandom : public BddppPrint {
 protected:
  // The function of a truth table over the first n variables.
  bdd from_table(const Table& table, int n, int level = 0, std::size_t base = 0) {
    if (level == n) return man.Bdd_dup(table[base] ? man.Bdd_one() : man.Bdd_zero());
    bdd t = from_table(table, n, level + 1, base | (std::size_t{1} << level));
    bdd e = from_table(table, n, level + 1, base);
    bdd r = man.Bdd_ite(x[level], t, e);
    man.Bdd_free(t);
    man.Bdd_free(e);
    return r;
  }

  int index_of(const std::string& name) {
    for (std::size_t i = 0; i < x.size(); ++i)
      if (man.Name_var_by_index(static_cast<long>(i)) == name) return static_cast<int>(i);
    ADD_FAILURE() << "unknown name " << name;
    return 0;
  }

  // The variables the table depends on, as the expected header columns.
  std::vector<std::string> support(const Table& table, int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
      bool depends = false;
      for (std::size_t a = 0; a < table.size() && !depends; ++a)
        depends = table[a] != table[a ^ (std::size_t{1} << i)];
      if (depends) names.push_back(man.Name_var_by_index(i));
    }
    return names;
  }

  static std::vector<std::string> split(const std::string& text, const std::string& sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(sep, start)) != std::string::npos; start = at + sep.size())
      parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
  }

  // Reads a cover printed with the head "H ", head end "\n", row separator
  // `row_sep`, last end "\n" and column separator `column_sep`; checks the
  // header and returns the table of the cover.
  Table read_cover(const std::string& text, int n, const std::string& row_sep,
                   const std::string& column_sep, const Table& expected) {
    Table cover(std::size_t{1} << n, false);
    const std::size_t head_end = text.find('\n');
    EXPECT_EQ(text.substr(0, 2), "H ");
    std::vector<std::string> header = split(text.substr(2, head_end - 2), " ");
    EXPECT_EQ(header.back(), "out");
    header.pop_back();
    EXPECT_EQ(header, support(expected, n));
    std::string body = text.substr(head_end + 1);
    EXPECT_EQ(body.back(), '\n');
    body.pop_back();
    for (const std::string& row : split(body, row_sep)) {
      if (header.empty()) {
        EXPECT_TRUE(row == "0" || row == "1") << row;
        if (row == "1") cover.assign(cover.size(), true);
        continue;
      }
      const std::size_t width = header.size() * (1 + column_sep.size());
      EXPECT_EQ(row.size(), width + 2) << row;
      EXPECT_EQ(row.substr(width), " 1") << row;
      std::string literals;
      for (std::size_t c = 0; c < header.size(); ++c) {
        literals += row[c * (1 + column_sep.size())];
        EXPECT_EQ(row.substr(c * (1 + column_sep.size()) + 1, column_sep.size()), column_sep);
      }
      for (std::size_t a = 0; a < cover.size(); ++a) {
        bool inside = true;
        for (std::size_t c = 0; c < header.size(); ++c) {
          const bool bit = (a >> index_of(header[c])) & 1u;
          EXPECT_NE(literals[c], '?');
          if ((literals[c] == '1' && !bit) || (literals[c] == '0' && bit)) inside = false;
        }
        if (inside) cover[a] = true;
      }
    }
    return cover;
  }

  // The text of Append_sop, given f's support or not.
  std::string appended_sum(bdd f, int method, bool support_known) {
    std::ostringstream target;
    {
      tessaro::chunked_buffer text(target);
      text.append("[");
      const std::vector<long> support = man.Support_indexes(f);
      man.Append_sop(text, " + ", "&", "~", "", f, method, support_known ? &support : nullptr);
    }
    const std::string written = target.str();
    EXPECT_EQ(written.substr(0, 1), "[");
    return written.substr(1);
  }

  // The BLIF cover of var = f formatted a row per product of Bdd_sop, one
  // column per variable of the support.
  std::string blif_of_products(bdd var, bdd f, int method) {
    const std::vector<long> columns = man.Support_indexes(f);
    std::string text = ".names  ";
    for (long i : columns)
      text += man.Name_var_by_index(i) + " ";
    text += man.Name_var_by_bdd(var) + "\n";
    if (columns.empty()) return text + (man.Bdd_is_tautology(f, 0) ? "0\n" : "1\n");
    std::vector<bdd> products;
    man.Bdd_sop(f, products, method);
    for (bdd product : products) {
      std::string row(columns.size(), '-');
      for (const auto& [index, sign] : man.Product_literals(product))
        for (std::size_t c = 0; c < columns.size(); ++c)
          if (columns[c] == index) row[c] = sign == 0 ? '0' : '1';
      text += row + " 1\n";
      man.Bdd_free(product);
    }
    return text;
  }

  // Reads a sum printed with " + ", "&" and "~" before a negated literal.
  Table read_sum(const std::string& text, int n) {
    Table sum(std::size_t{1} << n, false);
    if (text == "0") return sum;
    for (const std::string& product : split(text, " + ")) {
      if (product == "1") return Table(sum.size(), true);
      std::vector<std::pair<int, bool>> literals;
      for (const std::string& literal : split(product, "&")) {
        const bool negative = !literal.empty() && literal[0] == '~';
        literals.emplace_back(index_of(literal.substr(negative ? 1 : 0)), !negative);
      }
      for (std::size_t a = 0; a < sum.size(); ++a) {
        bool inside = true;
        for (const auto& l : literals)
          if ((((a >> l.first) & 1u) != 0) != l.second) inside = false;
        if (inside) sum[a] = true;
      }
    }
    return sum;
  }
};

TEST_F(BddppPrintRandom, PrintedCoversAndSumsGiveBackTheFunction) {
  vars({"a", "b", "c", "d", "e", "f", "g", "h", "out"});
  const bdd out = x.back();
  std::mt19937 random(20261208);
  const long baseline = live_nodes();
  for (int round = 0; round < 160; ++round) {
    const int n = 1 + round % 8;
    SCOPED_TRACE("round " + std::to_string(round));
    Table table(std::size_t{1} << n);
    // Sparse, dense and even tables, and now and then a constant.
    const unsigned density = 1 + random() % 7;
    for (std::size_t a = 0; a < table.size(); ++a)
      table[a] = random() % 8 < density;
    if (round % 37 == 5) table.assign(table.size(), round % 2 == 0);
    bdd f = from_table(table, n);
    for (int method : {0, 1, 2}) {
      SCOPED_TRACE("method " + std::to_string(method));
      std::ostringstream blif_text, pla_text;
      man.BLIF_print(blif_text, out, f, method);
      man.PLA_print_pref_suff(pla_text, out, f, "", "", "H ", "\n", ";\n", "\n", ",", method);
      std::string blif = blif_text.str();
      ASSERT_EQ(blif.substr(0, 8), ".names  ");
      blif.replace(0, 8, "H ");
      EXPECT_EQ(read_cover(blif, n, "\n", "", table), table);
      EXPECT_EQ(read_cover(pla_text.str(), n, ";\n", ",", table), table);
      const std::string sum = man.Print_sop_to_String(" + ", "&", "~", "", f, method);
      EXPECT_EQ(read_sum(sum, n), table);
      EXPECT_EQ(appended_sum(f, method, false), sum);
      EXPECT_EQ(appended_sum(f, method, true), sum) << "with the support known";
      EXPECT_EQ(blif_text.str(), blif_of_products(out, f, method));
    }
    man.Bdd_free(f);
  }
  EXPECT_EQ(live_nodes(), baseline);
}

}  // namespace
