// The product limit of covers: a cover of 50000 products ends the program
// before any of it is written, by method 0 and by method 2 alike (the prime
// walk holds up to 50000 implicants), while 49999 products are all printed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bddpp/bddpp_manager.h"
#include "support/activity.h"
#include "tests/test_util.h"

namespace {

// Even parity of 17 variables below a bound, the variables read as a
// number with x0 most significant: every minterm is a product of its own
// (all neighbours have odd parity), and there are bound / 2 of them.
class BddppPrintLimit : public ::testing::Test {
 protected:
  bddpp_manager man;
  std::vector<bdd> x;
  bdd y = 0;
  bdd f = 0;

  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  void TearDown() override {
    if (f != 0) man.Bdd_free(f);
    EXPECT_EQ(bdd_debug_check(man.engine()), 0);
  }

  void build(long bound) {
    std::vector<std::string> names;
    for (int i = 0; i < 17; ++i)
      names.push_back("x" + std::to_string(i));
    names.push_back("y");
    for (const std::string& name : names)
      x.push_back(man.New_var_last(name));
    y = x.back();
    bdd parity = man.Bdd_dup(man.Bdd_one());
    bdd below = man.Bdd_dup(man.Bdd_zero());
    for (int i = 16; i >= 0; --i) {
      bdd next = man.Bdd_xor(parity, x[i]);
      man.Bdd_free(parity);
      parity = next;
      bdd nx = man.Bdd_not(x[i]);
      next = (bound >> (16 - i)) & 1 ? man.Bdd_or(nx, below) : man.Bdd_and(nx, below);
      man.Bdd_free(nx);
      man.Bdd_free(below);
      below = next;
    }
    f = man.Bdd_and(parity, below);
    man.Bdd_free(parity);
    man.Bdd_free(below);
  }
};

TEST_F(BddppPrintLimit, FiftyThousandProductsEndTheProgramBeforeAnyOutput) {
  build(100000);
  // The child must write where the parent looks.
  GTEST_FLAG_SET(death_test_style, "fast");
  testutil::TempDir dir;
  const std::string path = dir.file("cover.blif");
  for (int method : {0, 2}) {
    SCOPED_TRACE(method);
    EXPECT_EXIT(
        {
          std::ofstream out(path);
          out << std::unitbuf;
          man.BLIF_print(out, y, f, method);
        },
        ::testing::ExitedWithCode(1),
        ::testing::Eq(
            std::string("internal error in void bdd_manager::PLA_print...(ostream &, bdd)\n"
                        " product term number exceded limit\n")));
    EXPECT_TRUE(testutil::file_exists(path));
    EXPECT_EQ(testutil::read_file(path), "");
  }
  // A writer that names the signal gets it on a last line.
  const std::string name = "wide_out";
  EXPECT_EXIT(
      {
        tessaro::set_activity("signal", name);
        std::ostringstream out;
        man.BLIF_print(out, y, f, 2);
      },
      ::testing::ExitedWithCode(1),
      ::testing::Eq(std::string("internal error in void bdd_manager::PLA_print...(ostream &, bdd)\n"
                                " product term number exceded limit\n"
                                "cover of signal wide_out: more than 49999 products\n")));
}

TEST_F(BddppPrintLimit, FortyNineThousandNineHundredNinetyNineProductsArePrinted) {
  build(99998);
  std::ostringstream out;
  man.BLIF_print(out, y, f, 0);
  std::istringstream in(out.str());
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, ".names  x0 x1 x2 x3 x4 x5 x6 x7 x8 x9 x10 x11 x12 x13 x14 x15 x16 y");
  std::vector<bool> seen(99998, false);
  long rows = 0;
  while (std::getline(in, line)) {
    ++rows;
    ASSERT_EQ(line.size(), 19u) << line;
    ASSERT_EQ(line.substr(17), " 1");
    long number = 0;
    int ones = 0;
    for (int i = 0; i < 17; ++i) {
      ASSERT_TRUE(line[i] == '0' || line[i] == '1') << line;
      number = 2 * number + (line[i] - '0');
      ones += line[i] - '0';
    }
    ASSERT_LT(number, 99998);
    ASSERT_EQ(ones % 2, 0) << line;
    ASSERT_FALSE(seen[number]) << line;
    seen[number] = true;
  }
  EXPECT_EQ(rows, 49999);
}

}  // namespace
