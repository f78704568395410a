// Inputs whose functions are as deep as they are wide: the recursion of the
// engine and of the prime search goes one level per variable. The program
// raises its own stack limit, so a low soft limit does not end it with a
// signal; inputs past the engine's 65,534 variables stop with its message.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

using testutil::TempDir;

namespace {

std::string and_table(int n) {
  std::string inputs;
  for (int i = 0; i < n; ++i)
    inputs += " x" + std::to_string(i);
  return ".model a\n.inputs" + inputs + "\n.outputs y\n.names" + inputs + " y\n" +
         std::string(static_cast<std::size_t>(n), '1') + " 1\n.end\n";
}

std::string chain(int tables) {
  std::string text = ".model a\n.inputs i\n.outputs o" + std::to_string(tables - 1) + "\n";
  for (int t = 0; t < tables; ++t)
    text += ".names " + (t == 0 ? std::string("i") : "o" + std::to_string(t - 1)) + " o" +
            std::to_string(t) + "\n0 1\n";
  return text + ".end\n";
}

const char* const kEmpty = ".model e\n.end\n";

}  // namespace

// 5,000 levels need more than 256 KiB of stack.
TEST(DeepInputs, WideTableUnderALowStackLimit) {
  TempDir d;
  d.write("a.blif", and_table(5000));
  d.write("e.blif", kEmpty);
  const auto free_run = testutil::run_tessaro(d.path(), {"a", "e"});
  ASSERT_EQ(free_run.status, 0);
  const std::string out = d.read("a_e.blif");
  const auto low = testutil::run_tessaro_limited(d.path(), {"a", "e"}, 0, 256 << 10);
  EXPECT_EQ(low.status, 0);
  EXPECT_TRUE(low.err == free_run.err);
  EXPECT_TRUE(d.read("a_e.blif") == out);
}

TEST(DeepInputs, ChainOfSixtyThousandTables) {
  TempDir d;
  d.write("a.blif", chain(60000));
  d.write("e.blif", kEmpty);
  const auto r = testutil::run_tessaro(d.path(), {"a", "e"});
  EXPECT_EQ(r.status, 0);
  const std::string out = d.read("a_e.blif");
  EXPECT_EQ(out.substr(out.size() - 7), "\n.end\n\n");
}

// One more variable than the engine has: its message and status 1.
TEST(DeepInputs, PastTheEngineVariables) {
  for (const std::string& model : {and_table(100000), chain(100000)}) {
    TempDir d;
    d.write("a.blif", model);
    d.write("e.blif", kEmpty);
    const auto r = testutil::run_tessaro(d.path(), {"a", "e"});
    EXPECT_EQ(r.status, 1);
    const std::string tail = "BDD library: error: bdd_new_var: no more indexes\n";
    ASSERT_GE(r.err.size(), tail.size());
    EXPECT_EQ(r.err.substr(r.err.size() - tail.size()), tail);
  }
}
