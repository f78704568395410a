// The command line of tessaro-merge, run as a user runs it: help, version,
// option errors, where the model and the connection list go, the default
// names, the trace files, and the files it cannot read or write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_util.h"

using testutil::run_tessaro_merge;
using testutil::TempDir;

namespace {

const char kA[] = ".model a\n.inputs x\n.outputs en\n.latch x en 1\n.end\n";
const char kB[] = ".model b\n.inputs en\n.outputs y\n.names en y\n0 1\n.end\n";
const char kMerged[] =
    ".model a_b\n.inputs x\n.outputs y\n.latch x inst0_en 1\n\n"
    ".names  inst1_en y\n0 1\n.names  inst0_en inst1_en\n1 1\n\n.end\n\n";

void write_pair(const TempDir& d) {
  d.write("a.blif", kA);
  d.write("b.blif", kB);
}

TEST(MergeCli, HelpAndVersion) {
  TempDir d;
  auto help = run_tessaro_merge(d.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("usage: tessaro-merge [options] A.blif B.blif\n", 0), 0u);
  for (const char* word : {"-o FILE", "--model NAME", "--connections", "--trace FILE", "-q",
                           "--version", "accepted:", "refused", ".gate", "exit status"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  // -h anywhere answers at once, whatever follows it.
  auto short_help = run_tessaro_merge(d.path(), {"a.blif", "-h", "--bogus"});
  EXPECT_EQ(short_help.status, 0);
  EXPECT_EQ(short_help.out, help.out);
  auto version = run_tessaro_merge(d.path(), {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "tessaro-merge 0.0.3\n");
  EXPECT_EQ(version.err, "");
}

TEST(MergeCli, CommandLinesItCannotRun) {
  const std::string tail = " (tessaro-merge --help lists the options)\n";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "missing input files A.blif B.blif"},
      {{"a.blif"}, "missing second input file"},
      {{"a.blif", "b.blif", "c.blif"}, "more than two input files (c.blif)"},
      {{"-x", "a.blif", "b.blif"}, "unknown option -x"},
      {{"--trace"}, "option --trace needs a value"},
      {{"a.blif", "b.blif", "-o"}, "option -o needs a value"},
      {{"--model=", "a.blif", "b.blif"}, "option --model needs a value"},
      {{"--model", "m n", "a.blif", "b.blif"},
       "model name \"m n\" holds a blank or a control byte (see --model)"},
  };
  for (const auto& [args, text] : cases) {
    TempDir d;
    write_pair(d);
    auto r = run_tessaro_merge(d.path(), args);
    EXPECT_EQ(r.status, 1) << text;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tessaro-merge: " + text + tail);
    EXPECT_FALSE(d.exists("a_b.blif"));
  }
}

TEST(MergeCli, DefaultNamesComeFromTheFileNamesWithoutFolders) {
  TempDir d;
  std::filesystem::create_directory(d.file("in"));
  d.write("in/a.blif", kA);
  d.write("b.net", kB);
  auto r = run_tessaro_merge(d.path(), {"in/a.blif", "b.net"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  // Only ".blif" is taken off.
  EXPECT_EQ(d.read("a_b.net.blif").rfind(".model a_b.net\n", 0), 0u);
  // Nothing else is written without --trace.
  EXPECT_FALSE(d.exists("a_b.net.log"));
}

TEST(MergeCli, OutputModelNameAndStandardOutput) {
  TempDir d;
  write_pair(d);
  auto r = run_tessaro_merge(d.path(), {"-o", "m.blif", "a.blif", "b.blif"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(d.read("m.blif"), kMerged);
  EXPECT_FALSE(d.exists("a_b.blif"));
  auto piped = run_tessaro_merge(d.path(), {"a.blif", "-o", "-", "b.blif"});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, kMerged);
  EXPECT_EQ(piped.err, "");
  auto named = run_tessaro_merge(d.path(), {"--model=top.v2", "-o", "-", "a.blif", "b.blif"});
  EXPECT_EQ(named.out, ".model top.v2" + std::string(kMerged).substr(10));
  auto spaced = run_tessaro_merge(d.path(), {"--model", "t", "-o", "-", "--", "a.blif", "b.blif"});
  EXPECT_EQ(spaced.out.rfind(".model t\n", 0), 0u);
}

TEST(MergeCli, ConnectionsAreListedByName) {
  TempDir d;
  write_pair(d);
  auto r = run_tessaro_merge(d.path(), {"--connections", "a.blif", "b.blif"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "b.en <- a.en\n");
  EXPECT_EQ(d.read("a_b.blif"), kMerged);
  // With the model on standard output, the list goes to standard error.
  auto piped = run_tessaro_merge(d.path(), {"--connections", "-o", "-", "a.blif", "b.blif"});
  EXPECT_EQ(piped.out, kMerged);
  EXPECT_EQ(piped.err, "b.en <- a.en\n");
  // Both ways, names as the files write them, and files of one stem.
  std::filesystem::create_directory(d.file("p"));
  std::filesystem::create_directory(d.file("q"));
  d.write("p/c.blif", ".model c\n.inputs d[0]\n.outputs q.1\n.latch d[0] q.1 0\n");
  d.write("q/c.blif", ".model c\n.inputs q.1\n.outputs d[0]\n.names q.1 d[0]\n0 1\n");
  auto both = run_tessaro_merge(d.path(), {"--connections", "-q", "p/c.blif", "q/c.blif"});
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(both.out, "c#1.d[0] <- c#2.d[0]\nc#2.q.1 <- c#1.q.1\n");
  auto none = run_tessaro_merge(d.path(), {"--connections", "a.blif", "a.blif"});
  EXPECT_EQ(none.out, "(no connections)\n");
}

TEST(MergeCli, TraceGoesToItsFileAndTheLogBesideIt) {
  TempDir d;
  write_pair(d);
  auto r = run_tessaro_merge(d.path(), {"--trace", "t.txt", "a.blif", "b.blif"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(d.read("a_b.blif"), kMerged);
  EXPECT_EQ(d.read("t.txt").rfind("wood Bddexpression statistics:\n", 0), 0u);
  EXPECT_EQ(d.read("t.txt.log").rfind("6 --> a\n19 --> nom circuit\n", 0), 0u);
}

TEST(MergeCli, FilesItCannotReadOrWrite) {
  TempDir d;
  write_pair(d);
  auto missing = run_tessaro_merge(d.path(), {"a.blif", "none.blif"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "none.blif: cannot open the file for reading\n");
  EXPECT_FALSE(d.exists("a_none.blif"));
  auto folder = run_tessaro_merge(d.path(), {"-o", "no/such/m.blif", "a.blif", "b.blif"});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "cannot create output file no/such/m.blif: No such file or directory\n");
  // A trace that would overwrite an input is refused before anything is written.
  auto over = run_tessaro_merge(d.path(), {"--trace", "./b.blif", "a.blif", "b.blif"});
  EXPECT_EQ(over.status, 1);
  EXPECT_EQ(over.err, "the trace file ./b.blif would overwrite the input file b.blif\n");
  EXPECT_EQ(d.read("b.blif"), kB);
  auto trace = run_tessaro_merge(d.path(), {"--trace", "no/t", "a.blif", "b.blif"});
  EXPECT_EQ(trace.status, 1);
  EXPECT_EQ(trace.err, "cannot create trace file no/t: No such file or directory\n");
  struct stat device;
  if (::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode)) {
    auto full = run_tessaro_merge(d.path(), {"-o", "/dev/full", "a.blif", "b.blif"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "cannot write output file /dev/full: No space left on device\n");
    // The device is not an incomplete file of the run: it stays.
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));
    // Through a link of the user's, the link stays too.
    ASSERT_EQ(::symlink("/dev/full", (d.path() + "/full.blif").c_str()), 0);
    auto linked = run_tessaro_merge(d.path(), {"-o", "full.blif", "a.blif", "b.blif"});
    EXPECT_EQ(linked.status, 1);
    EXPECT_EQ(linked.err, "cannot write output file full.blif: No space left on device\n");
    EXPECT_TRUE(std::filesystem::is_symlink(d.path() + "/full.blif"));
  }
}

}  // namespace
