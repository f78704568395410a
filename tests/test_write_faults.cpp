// Output and log files that open but cannot be written (a full disk, here
// /dev/full) fail the run with one line naming the file and the cause;
// every other stream and file is what a run that could write would give.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>

#include "support/checked_output.h"
#include "tests/test_util.h"

using testutil::run_tessaro;
using testutil::TempDir;

namespace {

const char* const kFirst =
    ".model a\n.inputs x\n.outputs y\n.latch n q 0\n.names x q n\n11 1\n.names q y\n1 1\n.end\n";
const char* const kSecond = ".model b\n.inputs y\n.outputs x\n.names y x\n0 1\n.end\n";

// A model of `tables` tables: its trace fills several buffers of the log.
std::string many_tables(int tables) {
  std::string text = ".model big\n.inputs i\n.outputs o" + std::to_string(tables - 1) + "\n";
  for (int t = 0; t < tables; ++t)
    text += ".names " + (t == 0 ? std::string("i") : "o" + std::to_string(t - 1)) + " o" +
            std::to_string(t) + "\n0 1\n";
  return text + ".end\n";
}

// Whether /dev/full is the device. A run that followed a link to a missing
// /dev/full would create a plain file in its place.
bool have_full_device() {
  struct stat st;
  return ::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode);
}

#define REQUIRE_FULL_DEVICE() \
  if (!have_full_device()) GTEST_SKIP() << "/dev/full is not the full device"

struct Pair {
  std::string first, second;
};

// The run of a and b with `full` ("a_b.blif" or "a_b.log") on /dev/full,
// checked against the same run with both files writable.
void expect_full_file_fails(const Pair& pair, const std::string& full, const std::string& kind) {
  TempDir good, bad;
  for (const TempDir* d : {&good, &bad}) {
    d->write("a.blif", pair.first);
    d->write("b.blif", pair.second);
  }
  ASSERT_EQ(::symlink("/dev/full", bad.file(full).c_str()), 0);
  const auto expected = run_tessaro(good.path(), {"a", "b"});
  ASSERT_EQ(expected.status, 0) << expected.err;
  const auto r = run_tessaro(bad.path(), {"a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, expected.out);
  EXPECT_EQ(r.err,
            expected.err + "cannot write " + kind + " " + full + ": No space left on device\n");
  const std::string other = full == "a_b.blif" ? "a_b.log" : "a_b.blif";
  EXPECT_EQ(bad.read(other), good.read(other));
}

}  // namespace

TEST(WriteFaults, OutputFileOnAFullDevice) {
  REQUIRE_FULL_DEVICE();
  expect_full_file_fails({kFirst, kSecond}, "a_b.blif", "output file");
}

TEST(WriteFaults, LogFileOnAFullDevice) {
  REQUIRE_FULL_DEVICE();
  expect_full_file_fails({kFirst, kSecond}, "a_b.log", "log file");
}

// Failures found while the run goes on, not only at the close: both files
// here are far longer than one buffer.
TEST(WriteFaults, LongFilesOnAFullDevice) {
  REQUIRE_FULL_DEVICE();
  const Pair pair{many_tables(3000), kSecond};
  expect_full_file_fails(pair, "a_b.blif", "output file");
  expect_full_file_fails(pair, "a_b.log", "log file");
}

// A fatal stop after the log was written (the scanner's, on a second input
// it cannot read) keeps its status and message, and still reports the log
// it could not write.
TEST(WriteFaults, FatalStopStillReportsTheLog) {
  REQUIRE_FULL_DEVICE();
  TempDir d;
  d.write("a.blif", kFirst);
  ASSERT_EQ(::symlink("/proc/self/mem", d.file("b.blif").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/full", d.file("a_b.log").c_str()), 0);
  const auto r = run_tessaro(d.path(), {"a", "b"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "input in flex scanner failed\n"
            "cannot write log file a_b.log: No space left on device\n");
}

TEST(CheckedOutput, WritesEveryByteAndReportsNothing) {
  TempDir d;
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += std::to_string(i) + (i % 7 == 0 ? "\n" : " ");
  tessaro::checked_ofstream out("output file", d.file("f"));
  ASSERT_TRUE(out.is_open());
  // Small pieces, pieces longer than the buffer, single characters.
  out << text.substr(0, 1000);
  out.write(text.data() + 1000, 200000);
  for (std::size_t i = 201000; i < text.size(); ++i)
    out.put(text[i]);
  EXPECT_TRUE(out.close());
  EXPECT_FALSE(out.write_failed());
  EXPECT_FALSE(out.report_failure());
  EXPECT_EQ(d.read("f"), text);
}

// Pieces of random sizes around half and whole buffers, written straight or
// gathered, interleaved with single characters: the file is their
// concatenation.
TEST(CheckedOutput, PiecesOfEverySizeKeepTheirOrder) {
  TempDir d;
  std::mt19937 rng(16);
  std::string text;
  tessaro::checked_ofstream out("log file", d.file("f"));
  ASSERT_TRUE(out.is_open());
  const std::size_t sizes[] = {1, 100, 32767, 32768, 32769, 65535, 65536, 65537, 140000};
  for (int round = 0; round < 200; ++round) {
    const std::size_t n = sizes[rng() % 9] + rng() % 3;
    std::string piece(n, ' ');
    for (char& c : piece)
      c = static_cast<char>('a' + rng() % 26);
    if (rng() % 4 == 0) {
      out.put(piece[0]);
      text += piece[0];
    } else {
      out.write(piece.data(), static_cast<std::streamsize>(n));
      text += piece;
    }
  }
  EXPECT_TRUE(out.close());
  EXPECT_FALSE(out.write_failed());
  EXPECT_EQ(d.read("f"), text);
}

TEST(CheckedOutput, AFileThatCannotBeCreated) {
  TempDir d;
  tessaro::checked_ofstream out("log file", d.file("no/such/folder"));
  EXPECT_FALSE(out.is_open());
  EXPECT_FALSE(out.good());
}
