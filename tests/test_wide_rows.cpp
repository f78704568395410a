// Rows of thousands of literals: a whole run writes the same bytes as the
// straightforward paths (tessaro_reference: each row joined literal after
// literal from its first column, each product widened one literal at a
// time), and the cover of one and table is its one row.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/test_util.h"

using testutil::TempDir;

namespace {

std::string names(int n) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += " x" + std::to_string(i);
  return s;
}

// Runs a with an empty model through both binaries and compares every byte.
void expect_same_as_reference(const std::string& model) {
  TempDir fast, straight;
  for (const TempDir* d : {&fast, &straight}) {
    d->write("a.blif", model);
    d->write("e.blif", ".model e\n.end\n");
  }
  const auto r = testutil::run_tessaro(fast.path(), {"a", "e"});
  const auto ref = testutil::run(straight.path(), TESSARO_REFERENCE, {"a", "e"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.status, ref.status);
  EXPECT_EQ(r.out, ref.out);
  EXPECT_TRUE(r.err == ref.err) << "standard error differs";
  EXPECT_TRUE(fast.read("a_e.blif") == straight.read("a_e.blif")) << "output differs";
  EXPECT_EQ(fast.read("a_e.log"), straight.read("a_e.log"));
}

}  // namespace

TEST(WideRows, AndTableIsItsOneRow) {
  const int n = 3000;
  TempDir d;
  const std::string row(n, '1');
  d.write("a.blif", ".model a\n.inputs" + names(n) + "\n.outputs y\n.names" + names(n) + " y\n" +
                        row + " 1\n.end\n");
  d.write("e.blif", ".model e\n.end\n");
  const auto r = testutil::run_tessaro(d.path(), {"a", "e"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(d.read("a_e.blif"), ".model a_e\n.inputs" + names(n) + "\n.outputs y\n\n.names " +
                                    names(n) + " y\n" + row + " 1\n\n.end\n\n");
}

TEST(WideRows, SameBytesAsTheStraightforwardPaths) {
  const int n = 300;
  std::mt19937 rng(5);
  // Functions whose primes the straightforward paths can still list (they
  // walk the whole implicant tree): two rows that differ in one column only
  // (the trace's cover widens its product by that literal), an and, a row
  // of random literals over columns not in the order of the variables, and
  // a narrow or given by a row of zeros with output 0.
  std::string common;
  for (int i = 0; i < n; ++i)
    common += i % 4 == 0 ? '-' : "01"[rng() % 2];
  std::string other = common;
  other[7] = common[7] == '1' ? '0' : '1';
  std::string model = ".model a\n.inputs" + names(n) + "\n.outputs y z w v\n";
  model += ".names" + names(n) + " y\n" + common + " 1\n" + other + " 1\n";
  model += ".names" + names(n) + " z\n" + std::string(n, '1') + " 1\n";
  model += ".names" + names(10) + " w\n" + std::string(10, '0') + " 0\n";
  std::string reversed;
  for (int i = n - 1; i >= 0; --i)
    reversed += " x" + std::to_string(i);
  std::string mixed;
  for (int i = 0; i < n; ++i)
    mixed += "10-"[rng() % 3];
  model += ".names" + reversed + " v\n" + mixed + " 1\n.end\n";
  expect_same_as_reference(model);
}
