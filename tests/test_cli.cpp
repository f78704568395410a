// The tessaro binary end to end: arguments, texts, files, streams, statuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/blif_samples.h"
#include "tests/test_util.h"

using testutil::run_tessaro;
using testutil::TempDir;

namespace {

const char* const kHelp =
    "\n"
    "        tessaro: merge two blif automata\n"
    "        author Kestrel, version 0.0.3\n"
    "\n"
    "   syntax:\n"
    "\n"
    "         tessaro <filename1> <filename2>\n"
    "\n"
    "         or tessaro -v\n"
    "\n"
    "         or tessaro -h\n"
    "\n"
    "   options:\n"
    "\n"
    "      -h : this help\n"
    "\n"
    "      -v : version\n"
    "\n";

const char* const kUsage =
    "missing input filename in parameter !\n"
    "syntax :\n"
    "\n"
    "   tessaro <filename1> <filename2>\n"
    "\n"
    "\n"
    "   or tessaro -v\n"
    "\n"
    "   OU tessaro -h\n"
    "\n";

// First line of the composition's trace on standard error.
const char* const kTraceStart = "wood Bddexpression statistics:\n";

}  // namespace

TEST(CliArguments, HelpIgnoresFurtherArguments) {
  TempDir d;
  for (auto args : {std::vector<std::string>{"-h"}, std::vector<std::string>{"-h", "x", "y"}}) {
    auto r = run_tessaro(d.path(), args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kHelp);
    EXPECT_EQ(r.err, "");
  }
}

TEST(CliArguments, VersionLine) {
  TempDir d;
  auto r = run_tessaro(d.path(), {"-v", "x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "tessaro : version  0.0.3\n");
  EXPECT_EQ(r.err, "");
}

TEST(CliArguments, ShortCommandLinesGiveTheUsageErrorAndOpenNothing) {
  TempDir d;
  for (auto args : {std::vector<std::string>{}, std::vector<std::string>{"a"},
                    std::vector<std::string>{"-H"}}) {
    auto r = run_tessaro(d.path(), args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, kUsage);
  }
  EXPECT_FALSE(d.exists("a_.log"));
}

TEST(CliRun, ParsesBothFilesAndTracesThemInOrderIntoTheLog) {
  TempDir d;
  d.write("a.blif", kExample);
  d.write("b.blif", ".model n\n.end\n");
  auto r = run_tessaro(d.path(), {"a", "b", "ignored"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\nConnections list:\n()\n");
  EXPECT_EQ(r.err.rfind(kTraceStart, 0), 0u) << r.err;
  EXPECT_EQ(d.read("a_b.log"),
            std::string(kExampleTrace) +
                "6 --> n\n19 --> nom circuit\n2 --> definition nom declaration\n"
                "3 --> definition liste inputs vide\n4 --> definition liste output vide\n"
                "7 --> equation booleenne gen seule\n1 --> definition finale\n");
  EXPECT_EQ(d.read("a_b.blif"),
            ".model a_b\n.inputs a\n.outputs y\n\n.names  a y\n0 1\n\n.end\n\n");
}

// Log lines are formatted in a fixed room; names longer than that room, or
// just fitting it, must still reach the log whole.
TEST(CliRun, LongNamesReachTheLogWhole) {
  for (std::size_t length : {std::size_t{1}, std::size_t{240}, std::size_t{244}, std::size_t{245},
                             std::size_t{249}, std::size_t{250}, std::size_t{1000}}) {
    TempDir d;
    const std::string name(length, 'm');
    d.write("a.blif", ".model " + name + "\n.end\n");
    d.write("b.blif", ".model n\n.end\n");
    auto r = run_tessaro(d.path(), {"a", "b"});
    EXPECT_EQ(r.status, 0) << length;
    EXPECT_EQ(d.read("a_b.log").substr(0, length + 7), "6 --> " + name + "\n") << length;
  }
}

TEST(CliRun, SameFileTwice) {
  TempDir d;
  d.write("a.blif", kExample);
  auto r = run_tessaro(d.path(), {"a", "a"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "parsing of a.blif and a.blif\nConnections list:\n()\n");
  EXPECT_EQ(d.read("a_a.log"), std::string(kExampleTrace) + kExampleTrace);
  // Shared input and shared output: the or of two equal definitions.
  EXPECT_EQ(d.read("a_a.blif"),
            ".model a_a\n.inputs a\n.outputs y\n\n.names  a y\n0 1\n\n.end\n\n");
}

TEST(CliRun, BaseNamesAreUsedAsGiven) {
  TempDir d;
  d.write("a.blif.blif", kExample);
  d.write("-h.blif", kExample);
  auto r = run_tessaro(d.path(), {"a.blif", "-h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "parsing of a.blif.blif and -h.blif\nConnections list:\n()\n");
  EXPECT_EQ(d.read("a.blif_-h.blif").substr(0, 22), ".model a.blif_-h\n.inpu");
  EXPECT_EQ(d.read("a.blif_-h.log"), std::string(kExampleTrace) + kExampleTrace);
}

TEST(CliRun, MissingInputIsReportedAndFailsButOutputAndLogAreCreatedEmpty) {
  TempDir d;
  d.write("a.blif", kExample);
  d.write("a_b.blif", "old output");
  d.write("a_b.log", "old log");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n");
  EXPECT_EQ(r.err, "cannot open input file b.blif\n");
  EXPECT_TRUE(d.exists("a_b.blif"));
  EXPECT_EQ(d.read("a_b.blif"), "");
  EXPECT_EQ(d.read("a_b.log"), "");

  auto both = run_tessaro(d.path(), {"x", "y"});
  EXPECT_EQ(both.status, 1);
  EXPECT_EQ(both.err, "cannot open input file x.blif\ncannot open input file y.blif\n");
}

TEST(CliRun, OutputOrLogThatCannotBeCreatedFailsBeforeParsing) {
  TempDir d;
  d.write("a.blif", kExample);
  d.write("b.blif", kExample);
  ASSERT_EQ(::mkdir(d.file("a_b.blif").c_str(), 0755), 0);
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n");
  EXPECT_EQ(r.err, "cannot create output file a_b.blif\n");
  EXPECT_EQ(d.read("a_b.log"), "");

  ASSERT_EQ(::mkdir(d.file("b_a.log").c_str(), 0755), 0);
  auto l = run_tessaro(d.path(), {"b", "a"});
  EXPECT_EQ(l.status, 1);
  EXPECT_EQ(l.err, "cannot create log file b_a.log\n");
}

TEST(CliRun, SyntaxErrorInFirstFileStopsBeforeTheSecond) {
  TempDir d;
  d.write("a.blif", ".model m\n.inputs a\n.inputs b\n.end\n");
  d.write("b.blif", "this file is never read, so this text is not echoed\n");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n");
  EXPECT_EQ(r.err,
            "syntax error, unexpected TOKEN_inputs, expecting TOKEN_latch or TOKEN_names or "
            "TOKEN_end\nparsing error in file a.blif\n");
  EXPECT_EQ(d.read("a_b.log"),
            "6 --> m\n19 --> nom circuit\n2 --> definition nom declaration\n6 --> a\n"
            "5 --> creation liste ident\n3,2 --> definition liste inputs\n"
            "4 --> definition liste output vide\n7 --> equation booleenne gen seule\n");
  EXPECT_EQ(d.read("a_b.blif"), "");
}

TEST(CliRun, SyntaxErrorInSecondFileAfterTheFirstTrace) {
  TempDir d;
  d.write("a.blif", kExample);
  d.write("b.blif", "");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "syntax error, unexpected $end, expecting TOKEN_model\nparsing error in file b.blif\n");
  EXPECT_EQ(d.read("a_b.log"), kExampleTrace);
}

TEST(CliRun, UnmatchedBytesAreEchoedOnStandardOutput) {
  TempDir d;
  d.write("a.blif", ".model m\r\n.inputs a[b] x=y\r\n.end\r\n");
  d.write("b.blif", kExample);
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 0);
  // The input y of a.blif is wired to the output y of b.blif.
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\n\r[]=\r\rConnections list:\n(1:0 --> 0:3\n)\n");
}

TEST(CliRun, CommentOpenAtTheEndOfTheFirstFileRunsIntoTheSecond) {
  // The scanner keeps its condition across files: the first line of b.blif
  // still belongs to the comment that a.blif left open.
  TempDir d;
  d.write("a.blif", std::string(kExample) + "# no line end after this comment");
  d.write("b.blif", "this line = part of the comment\n.model n\n.end\n");
  auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "parsing of a.blif and b.blif\nConnections list:\n()\n");
  EXPECT_EQ(d.read("a_b.log").substr(sizeof kExampleTrace - 1, 8), "6 --> n\n");
}

TEST(CliRun, DirectoryGivenAsInputIsReportedLikeAMissingFile) {
  TempDir d;
  d.write("a.blif", kExample);
  ASSERT_EQ(::mkdir(d.file("dir.blif").c_str(), 0755), 0);
  auto r = run_tessaro(d.path(), {"a", "dir"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "parsing of a.blif and dir.blif\n");
  EXPECT_EQ(r.err, "cannot open input file dir.blif\n");
  EXPECT_EQ(d.read("a_dir.log"), "");
}
