// Real circuit files: every public benchmark circuit is read twice in one
// run (tessaro X X) with a clean trace and nothing echoed or reported.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace {

std::vector<std::string> circuit_names() {
  std::vector<std::string> names;
  std::string dir = testutil::benchmarks_dir();
  if (dir.empty()) return names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string f = e->d_name;
      if (f.size() > 5 && f.compare(f.size() - 5, 5, ".blif") == 0)
        names.push_back(f.substr(0, f.size() - 5));
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

long count_lines(const std::string& text, const std::string& line) {
  long n = 0;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (l == line) ++n;
  return n;
}

long count_prefix(const std::string& text, const std::string& prefix) {
  long n = 0;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (l.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

// The first name of the ".outputs" line that the ".inputs" line lists too,
// or "".
std::string input_also_output(const std::string& text) {
  auto names_of = [&](const std::string& keyword) {
    std::vector<std::string> names;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
      if (l.compare(0, keyword.size(), keyword) != 0) continue;
      std::istringstream words(l.substr(keyword.size()));
      for (std::string w; words >> w;)
        names.push_back(w);
    }
    return names;
  };
  const std::vector<std::string> inputs = names_of(".inputs ");
  const std::set<std::string> input_set(inputs.begin(), inputs.end());
  for (const std::string& name : names_of(".outputs "))
    if (input_set.count(name)) return name;
  return "";
}

class BenchmarkFile : public testing::TestWithParam<std::string> {};

TEST_P(BenchmarkFile, IsReadTwiceAndMergedWithItself) {
  const std::string name = GetParam();
  testutil::TempDir d;
  const std::string text = testutil::read_file(testutil::benchmarks_dir() + "/" + name + ".blif");
  d.write(name + ".blif", text);
  auto r = testutil::run_tessaro(d.path(), {name, name});
  const std::string wire = input_also_output(text);
  if (!wire.empty()) {
    // Merged with itself, an input that is also an output would drive itself.
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, name + ".blif: input " + wire + " is also listed as an output, and the " +
                         "other model, " + name + ".blif, both drives and reads " + wire +
                         ": the wire would drive itself\n");
    EXPECT_EQ(d.read(name + "_" + name + ".blif"), "");
    return;
  }
  EXPECT_EQ(r.status, 0);
  // Merged with itself: no input is named like an output, so nothing is wired.
  EXPECT_EQ(r.out, "parsing of " + name + ".blif and " + name + ".blif\nConnections list:\n()\n");
  EXPECT_EQ(r.err.rfind("wood Bddexpression statistics:\n", 0), 0u);
  const std::string merged = d.read(name + "_" + name + ".blif");
  EXPECT_EQ(merged.substr(0, 9 + 2 * name.size()), ".model " + name + "_" + name + "\n");
  EXPECT_EQ(count_prefix(merged, ".latch "), 2 * count_prefix(text, ".latch "));
  const std::string log = d.read(name + "_" + name + ".log");
  EXPECT_EQ(count_lines(log, "1 --> definition finale"), 2);
  EXPECT_EQ(count_lines(log, "9 --> def equation latch"), 2 * count_prefix(text, ".latch "));
  EXPECT_EQ(count_lines(log, "10 --> def equation bool"), 2 * count_prefix(text, ".names "));
  EXPECT_EQ(log.substr(log.size() - 24), "1 --> definition finale\n");
}

INSTANTIATE_TEST_SUITE_P(Circuits, BenchmarkFile, testing::ValuesIn(circuit_names()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BenchmarkFile);

TEST(BenchmarkFolder, PresentOrSkipped) {
  if (testutil::benchmarks_dir().empty()) GTEST_SKIP() << "no benchmark circuits beside the repo";
  EXPECT_FALSE(circuit_names().empty());
}

}  // namespace
