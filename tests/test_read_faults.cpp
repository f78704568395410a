// An input whose read fails (an I/O error; /proc/self/mem fails every read
// at offset 0) ends the run on the scanner's fatal path: its message and
// status 2, never an uncaught exception.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/test_util.h"

using testutil::run_tessaro;
using testutil::TempDir;

namespace {
const char* const kModel = ".model b\n.inputs y\n.outputs x\n.names y x\n0 1\n.end\n";
}  // namespace

TEST(ReadFaults, FirstInputFailsToRead) {
  TempDir d;
  ASSERT_EQ(::symlink("/proc/self/mem", d.file("a.blif").c_str()), 0);
  d.write("b.blif", kModel);
  const auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n");
  EXPECT_EQ(r.err, "input in flex scanner failed\n");
  EXPECT_EQ(d.read("a_b.log"), "");
  EXPECT_EQ(d.read("a_b.blif"), "");
}

// The first file's trace reaches the log before the stop.
TEST(ReadFaults, SecondInputFailsToRead) {
  TempDir d;
  d.write("a.blif", kModel);
  ASSERT_EQ(::symlink("/proc/self/mem", d.file("b.blif").c_str()), 0);
  const auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "input in flex scanner failed\n");
  TempDir alone;
  alone.write("a.blif", kModel);
  alone.write("b.blif", kModel);
  ASSERT_EQ(run_tessaro(alone.path(), {"a", "b"}).status, 0);
  const std::string both = alone.read("a_b.log");
  EXPECT_EQ(d.read("a_b.log"), both.substr(0, both.size() / 2));
}
