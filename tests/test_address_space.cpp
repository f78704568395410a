// Runs under an address-space limit (RLIMIT_AS, set in the child): a merge
// needs only the address space its data needs, so the example and the
// benchmark pairs run under 1 GB exactly as without a limit, and a limit
// too low for the data stops the run with an out-of-memory message and
// status 1, never an abort or a signal. AddressSanitizer cannot start under
// such a limit: these tests skip themselves in its build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_util.h"

using testutil::TempDir;

namespace {

constexpr unsigned long long kOneGigabyte = 1000ULL * 1000 * 1000;

// Runs `first` `second` in `d` with and without the limit and expects the
// same streams, status 0 and the same output and log.
void expect_same_under_limit(const TempDir& d, const std::string& first, const std::string& second,
                             unsigned long long limit) {
  const std::string model = first + "_" + second;
  const auto free_run = testutil::run_tessaro(d.path(), {first, second});
  ASSERT_EQ(free_run.status, 0) << free_run.err.substr(0, 500);
  const std::string out = d.read(model + ".blif");
  const std::string log = d.read(model + ".log");
  const auto limited = testutil::run_tessaro_limited(d.path(), {first, second}, limit);
  EXPECT_EQ(limited.status, 0) << limited.err.substr(
      limited.err.size() > 500 ? limited.err.size() - 500 : 0);
  EXPECT_EQ(limited.out, free_run.out);
  EXPECT_EQ(limited.err, free_run.err);
  EXPECT_EQ(d.read(model + ".blif"), out);
  EXPECT_EQ(d.read(model + ".log"), log);
}

std::string last_line(const std::string& text) {
  const std::size_t end = text.size() > 0 && text.back() == '\n' ? text.size() - 1 : text.size();
  const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start + 1));
}

// A chain of `tables` inverters.
std::string chain(int tables) {
  std::string text = ".model big\n.inputs i\n.outputs o" + std::to_string(tables - 1) + "\n";
  for (int t = 0; t < tables; ++t)
    text += ".names " + (t == 0 ? std::string("i") : "o" + std::to_string(t - 1)) + " o" +
            std::to_string(t) + "\n0 1\n";
  return text + ".end\n";
}

}  // namespace

TEST(AddressSpace, ExampleMergeUnderOneGigabyte) {
  if (testutil::built_with_asan()) GTEST_SKIP() << "AddressSanitizer build";
  TempDir d;
  const std::string examples = std::string(TESSARO_SOURCE_DIR) + "/examples/";
  for (const char* name : {"counter.blif", "pulse.blif"})
    d.write(name, testutil::read_file(examples + name));
  expect_same_under_limit(d, "counter", "pulse", kOneGigabyte);
}

TEST(AddressSpace, BenchmarkPairsUnderOneGigabyte) {
  if (testutil::built_with_asan()) GTEST_SKIP() << "AddressSanitizer build";
  const std::string bench = testutil::benchmarks_dir();
  if (bench.empty()) GTEST_SKIP() << "no benchmark folder";
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"s1196", "s1238"}, {"s5378", "s9234"}, {"s13207", "s15850"}, {"s38417", "s38584"}};
  for (const auto& [first, second] : pairs) {
    SCOPED_TRACE(first + " " + second);
    TempDir d;
    d.write(first + ".blif", testutil::read_file(bench + "/" + first + ".blif"));
    d.write(second + ".blif", testutil::read_file(bench + "/" + second + ".blif"));
    expect_same_under_limit(d, first, second, kOneGigabyte);
  }
}

// Limits at which the data no longer fits: the heap or the engine's region
// runs out first, depending on the limit; either stop is a message and
// status 1.
TEST(AddressSpace, TooLowALimitRunsOutOfMemory) {
  if (testutil::built_with_asan()) GTEST_SKIP() << "AddressSanitizer build";
  TempDir d;
  d.write("a.blif", chain(20000));
  d.write("b.blif", ".model b\n.end\n");
  for (unsigned long long megabytes : {12, 16, 20, 24}) {
    SCOPED_TRACE(megabytes);
    const auto r = testutil::run_tessaro_limited(d.path(), {"a", "b"}, megabytes << 20);
    EXPECT_EQ(r.status, 1);
    const std::string line = last_line(r.err);
    const bool heap = line.rfind("out of memory", 0) == 0;
    const bool region =
        line == "Memory management library: error: mem_get_block: allocation failed";
    EXPECT_TRUE(heap || region) << line;
  }
}
