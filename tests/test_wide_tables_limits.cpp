// Whole runs on tables whose covers pass the product limit, and on the wide
// real functions of the benchmark folder under an address-space limit.
// Parity of 17 or 18 inputs has 2^16 or 2^17 primes, the minterms: the
// composition's trace still prints every product of the equation, then the
// writer stops with the limit lines, the last one naming the signal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/test_util.h"

using testutil::run_tessaro;
using testutil::TempDir;

namespace {

std::string inputs(int n) {
  std::string names;
  for (int i = 0; i < n; ++i)
    names += (i > 0 ? " i" : "i") + std::to_string(i);
  return names;
}

// A model t with inputs i0 .. i(n-1), output y and y's table: the rows of
// every assignment whose number of ones `keep` accepts.
template <typename Keep>
std::string table(int n, Keep keep) {
  std::string text =
      ".model t\n.inputs " + inputs(n) + "\n.outputs y\n.names " + inputs(n) + " y\n";
  for (unsigned a = 0; a < (1u << n); ++a) {
    const int ones = __builtin_popcount(a);
    if (!keep(ones)) continue;
    for (int i = 0; i < n; ++i)
      text += (a >> i) & 1u ? '1' : '0';
    text += " 1\n";
  }
  return text + ".end\n";
}

std::string last_lines(const std::string& text, int count) {
  std::size_t at = text.size();
  for (int k = 0; k <= count && at > 0; ++k)
    at = text.rfind('\n', at - 1);
  return at == std::string::npos ? text : text.substr(at + 1);
}

const char kLimitLines[] =
    "error in Tdd::Bdd_implicants_loc() \n"
    "excessive number of products ...\n"
    "cover of signal y: more than 50000 prime implicants\n";

TEST(WideTableLimits, ParityStopsWithTheLimitNamingTheSignalAfterAWholeTrace) {
  for (int n : {17, 18}) {
    SCOPED_TRACE("parity of " + std::to_string(n));
    TempDir d;
    d.write("t.blif", table(n, [](int ones) { return ones % 2 == 1; }));
    d.write("e.blif", ".model e\n.end\n");
    auto r = run_tessaro(d.path(), {"t", "e"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(last_lines(r.err, 3), kLimitLines);
    // The trace's line for y holds its 2^(n-1) products.
    const std::size_t at = r.err.find("<y> y = ");
    ASSERT_NE(at, std::string::npos);
    const std::string line = r.err.substr(at, r.err.find('\n', at) - at);
    EXPECT_EQ(std::count(line.begin(), line.end(), '+'), (1L << (n - 1)) - 1);
  }
}

// Majority of 19 inputs has C(19, 10) = 92378 primes; majority of 17 has
// 24310, all essential, printed in meeting order.
TEST(WideTableLimits, MajorityPastAndBelowTheLimit) {
  {
    TempDir d;
    d.write("t.blif", table(19, [](int ones) { return ones >= 10; }));
    d.write("e.blif", ".model e\n.end\n");
    auto r = run_tessaro(d.path(), {"t", "e"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(last_lines(r.err, 3), kLimitLines);
  }
  TempDir d;
  d.write("t.blif", table(17, [](int ones) { return ones >= 9; }));
  d.write("e.blif", ".model e\n.end\n");
  auto r = run_tessaro(d.path(), {"t", "e"});
  ASSERT_EQ(r.status, 0);
  // The primes: every set of 9 inputs, '1' sorting before '-'.
  std::vector<std::string> primes;
  for (unsigned a = 0; a < (1u << 17); ++a) {
    if (__builtin_popcount(a) != 9) continue;
    std::string row;
    for (int i = 0; i < 17; ++i)
      row += (a >> i) & 1u ? '1' : '-';
    primes.push_back(row);
  }
  std::sort(primes.begin(), primes.end(), [](const std::string& a, const std::string& b) {
    return a > b;  // '1' (0x31) before '-' (0x2d)
  });
  std::string expected =
      ".model t_e\n.inputs " + inputs(17) + "\n.outputs y\n\n.names  " + inputs(17) + " y\n";
  for (const std::string& row : primes)
    expected += row + " 1\n";
  expected += "\n.end\n\n";
  EXPECT_EQ(d.read("t_e.blif"), expected);
}

// The wide real tables of the benchmark folder, each merged with itself,
// with the address space limited to the engine's 4 GiB region and 512 MB:
// each run finishes, or stops with the limit lines naming a signal.
TEST(WideTableLimits, WideBenchmarkTablesWithinAnAddressSpaceLimit) {
  const std::string bench = testutil::benchmarks_dir();
  if (bench.empty()) GTEST_SKIP() << "no benchmark folder";
  for (const std::string name : {"vda", "k2"}) {
    SCOPED_TRACE(name);
    const std::string text = testutil::read_file(bench + "/lgsynth/" + name + ".blif");
    if (text.empty()) GTEST_SKIP() << "no " << name << ".blif";
    TempDir d;
    d.write(name + ".blif", text);
    const std::string command = "ulimit -v " + std::to_string((4L << 20) + (512L << 10)) +
                                " && exec " + TESSARO_BINARY + " " + name + " " + name;
    auto r = testutil::run(d.path(), "/bin/sh", {"-c", command});
    if (r.status == 0) {
      const std::string out = d.read(name + "_" + name + ".blif");
      EXPECT_EQ(out.substr(out.size() - 7), "\n.end\n\n");
    } else {
      EXPECT_EQ(r.status, 1);
      EXPECT_NE(last_lines(r.err, 1).find(": more than 50000 prime implicants"), std::string::npos)
          << last_lines(r.err, 3);
    }
  }
}

}  // namespace
