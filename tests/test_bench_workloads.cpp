// The side-by-side benchmark's own pieces: the small BLIF reader with its
// schedule and variable order, and the workloads built on our engine checked
// against brute force (queens solutions, products, simulated circuits).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bench/vs/blif_circuit.h"
#include "bench/vs/engine_api.h"
#include "tests/test_util.h"

namespace {

using benchvs::Circuit;
using benchvs::Workload;

Circuit parse(const std::string& text) {
  Circuit c;
  std::string error;
  EXPECT_TRUE(benchvs::parse_circuit(text, &c, &error)) << error;
  return c;
}

int signal(const Circuit& c, const std::string& name) {
  for (std::size_t i = 0; i < c.signals.size(); ++i)
    if (c.signals[i].name == name) return static_cast<int>(i);
  ADD_FAILURE() << "no signal " << name;
  return -1;
}

// Reference values of the outputs, gate by gate from the covers.
std::vector<bool> simulate(const Circuit& c, const std::vector<bool>& vars) {
  std::vector<bool> v(c.signals.size());
  for (int id : c.inputs)
    v[id] = vars[c.var_of[id]];
  for (int g : c.schedule) {
    const benchvs::Signal& s = c.signals[g];
    bool hit = false;
    for (const std::string& cube : s.cubes) {
      bool match = true;
      for (std::size_t j = 0; j < cube.size(); ++j)
        if (cube[j] != '-' && (cube[j] == '1') != v[s.fanins[j]]) match = false;
      hit = hit || match;
    }
    v[g] = hit == s.onset;
  }
  std::vector<bool> out;
  for (int o : c.outputs)
    out.push_back(v[o]);
  return out;
}

std::vector<bool> bits(unsigned long value, int n) {
  std::vector<bool> b(n);
  for (int i = 0; i < n; ++i)
    b[i] = (value >> i) & 1u;
  return b;
}

// A session of our engine on one workload, ended on scope exit.
class Built {
 public:
  explicit Built(const Workload& w) : api_(benchvs::our_engine()), s_(api_.build(w)) {}
  ~Built() { api_.finish(s_); }
  benchvs::Summary summary() { return api_.summarize(s_); }
  std::vector<bool> eval(const std::vector<bool>& in) { return api_.evaluate(s_, in); }

 private:
  const benchvs::EngineApi& api_;
  void* s_;
};

// Every output, on every input vector or on `samples` random ones, as simulated.
void expect_matches_simulation(const Circuit& c, int samples) {
  Workload w{Workload::kCircuit, 0, &c, c.name};
  Built b(w);
  const int n = static_cast<int>(c.inputs.size());
  std::mt19937_64 rng(7);
  const bool exhaustive = samples == 0;
  const unsigned long rounds = exhaustive ? 1ul << n : static_cast<unsigned long>(samples);
  for (unsigned long k = 0; k < rounds; ++k) {
    std::vector<bool> in = exhaustive ? bits(k, n) : bits(0, n);
    if (!exhaustive)
      for (int i = 0; i < n; ++i)
        in[i] = rng() & 1u;
    ASSERT_EQ(b.eval(in), simulate(c, in)) << c.name << " vector " << k;
  }
}

const char* kMixed = R"(# gates of every kind of table
.model mixed
.inputs a b \
  c d
.outputs nand xor k1 k0 maj dc a
.names a b nand
11 0
.names c d xor
01 1
10 1
.names k1
1
.names k0
.names a b c maj
11- 1
1-1 1
-11 1
.names d nand xor dc   # '-' entries and an off-set table
-0- 0
1-1 0
.end
)";

TEST(BenchCircuit, ReadsEveryKindOfTable) {
  Circuit c = parse(kMixed);
  EXPECT_EQ(c.name, "mixed");
  ASSERT_EQ(c.inputs.size(), 4u);
  ASSERT_EQ(c.outputs.size(), 7u);
  const benchvs::Signal& nand = c.signals[signal(c, "nand")];
  EXPECT_FALSE(nand.onset);
  EXPECT_EQ(nand.cubes, std::vector<std::string>{"11"});
  const benchvs::Signal& k1 = c.signals[signal(c, "k1")];
  EXPECT_TRUE(k1.fanins.empty());
  EXPECT_EQ(k1.cubes, std::vector<std::string>{""});
  EXPECT_TRUE(c.signals[signal(c, "k0")].cubes.empty());
  const benchvs::Signal& dc = c.signals[signal(c, "dc")];
  EXPECT_EQ(dc.fanins.size(), 3u);
  EXPECT_EQ(dc.cubes, (std::vector<std::string>{"-0-", "1-1"}));
  expect_matches_simulation(c, 0);
}

TEST(BenchCircuit, ScheduleAndOrderFollowTheWalkFromTheOutputs) {
  Circuit c = parse(
      ".inputs a b c unused\n.outputs z y\n"
      ".names c g1\n0 1\n"
      ".names g1 b g2\n11 1\n"
      ".names a g2 y\n1- 1\n"
      ".names b z\n1 1\n"
      ".names a dead\n1 1\n");
  // y is deeper than z and g2 deeper than a: the walk reaches c through g1
  // first, then b, then a; unused comes last.
  EXPECT_EQ(c.var_of[signal(c, "c")], 0);
  EXPECT_EQ(c.var_of[signal(c, "b")], 1);
  EXPECT_EQ(c.var_of[signal(c, "a")], 2);
  EXPECT_EQ(c.var_of[signal(c, "unused")], 3);
  std::vector<int> expected = {signal(c, "g1"), signal(c, "g2"), signal(c, "y"), signal(c, "z")};
  EXPECT_EQ(c.schedule, expected);  // the gate nothing uses is left out
  EXPECT_EQ(c.fanouts[signal(c, "b")], 2);
  EXPECT_EQ(c.fanouts[signal(c, "a")], 1);
  EXPECT_EQ(c.fanouts[signal(c, "dead")], 0);
  expect_matches_simulation(c, 0);
}

TEST(BenchCircuit, RefusesWhatItCannotBuild) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {".inputs a\n.outputs y\n.names a x y\n11 1\n", "signal x is never defined"},
      {".inputs a\n.outputs a\n.names a\n1\n", "signal a is defined twice"},
      {".inputs a\n.outputs y\n.names a y y\n11 1\n", "signal y is on a cycle"},
      {".inputs a\n.outputs y\n.latch a y 0\n", ".latch is not supported"},
      {".inputs a b\n.outputs y\n.names a b y\n11 1\n00 0\n", "mixes 0 and 1 rows"},
      {".inputs a b\n.outputs y\n.names a b y\n1 1\n", "bad row in the table of y"},
      {".inputs a\n.outputs y\n.names a y\n1 2\n", "bad output value in the table of y"},
      {".inputs a\n11 1\n", "table row outside a .names table"},
  };
  for (const auto& t : cases) {
    Circuit c;
    std::string error;
    EXPECT_FALSE(benchvs::parse_circuit(t.text, &c, &error)) << t.text;
    EXPECT_NE(error.find(t.reason), std::string::npos) << error;
  }
  Circuit c;
  std::string error;
  EXPECT_FALSE(benchvs::read_circuit("no/such/file.blif", &c, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
}

TEST(BenchWorkloads, QueensCountsTheKnownSolutions) {
  const int solutions[] = {1, 0, 0, 2, 10, 4, 40};
  for (int n = 1; n <= 7; ++n) {
    Built b(Workload{Workload::kQueens, n, nullptr, "queens"});
    EXPECT_EQ(b.summary().count, solutions[n - 1]) << "n = " << n;
  }
}

TEST(BenchWorkloads, MultiplierOutputsAreTheProduct) {
  const int n = 4;
  Built b(Workload{Workload::kMultiplier, n, nullptr, "mult"});
  for (unsigned a = 0; a < (1u << n); ++a) {
    for (unsigned x = 0; x < (1u << n); ++x) {
      std::vector<bool> in(2 * n);
      for (int i = 0; i < n; ++i) {
        in[2 * i] = (a >> i) & 1u;
        in[2 * i + 1] = (x >> i) & 1u;
      }
      ASSERT_EQ(b.eval(in), bits(a * x, 2 * n)) << a << " * " << x;
    }
  }
}

TEST(BenchWorkloads, SummaryCountsSubfunctionsAndSatisfyingShares) {
  // y = a and b, z = a xor b: without complement edges, y has 2 nodes and
  // z 3 (a, b, not b), sharing b.
  Circuit c = parse(".inputs a b\n.outputs y z\n.names a b y\n11 1\n.names a b z\n10 1\n01 1\n");
  Built b(Workload{Workload::kCircuit, 0, &c, "c"});
  benchvs::Summary s = b.summary();
  EXPECT_EQ(s.count, 0.25 + 0.5);
  EXPECT_EQ(s.nodes, 4);
  Built again(Workload{Workload::kCircuit, 0, &c, "c"});
  EXPECT_EQ(again.summary().signature, s.signature);
}

TEST(BenchWorkloads, PublicCircuitsMatchSimulation) {
  std::string dir = testutil::benchmarks_dir();
  if (dir.empty()) GTEST_SKIP() << "no benchmark folder";
  for (const char* name : {"C17", "C432", "C499"}) {
    Circuit c;
    std::string error;
    ASSERT_TRUE(benchvs::read_circuit(dir + "/" + name + ".blif", &c, &error)) << error;
    expect_matches_simulation(c, 200);
  }
}

}  // namespace
