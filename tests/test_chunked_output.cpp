// The chunked stream: bytes reach the target whole and in order, only when
// the buffer is full or pushed, never on a flush alone.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/chunked_output.h"

namespace {

// A target that counts the writes it receives.
class counting_buffer : public std::stringbuf {
 public:
  int writes = 0;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    ++writes;
    return std::stringbuf::xsputn(s, n);
  }
};

TEST(ChunkedOutput, FlushesWriteNothingPushWritesAllInOrder) {
  counting_buffer sink;
  std::ostream target(&sink);
  tessaro::chunked_ostream out(target);
  out << "line " << 1 << std::endl << "line 2" << std::flush;
  EXPECT_EQ(sink.str(), "");
  out.push();
  EXPECT_EQ(sink.str(), "line 1\nline 2");
  EXPECT_EQ(sink.writes, 1);
  out.push();
  EXPECT_EQ(sink.writes, 1) << "an empty push writes nothing";
}

TEST(ChunkedOutput, AFullBufferIsHandedOnInLargeChunks) {
  counting_buffer sink;
  std::ostream target(&sink);
  std::string expected;
  {
    tessaro::chunked_ostream out(target);
    for (int i = 0; i < 50000; ++i) {
      const std::string piece = std::to_string(i) + (i % 7 == 0 ? "\n" : " ");
      out << piece;
      expected += piece;
    }
    // A piece larger than the whole buffer.
    const std::string big(200000, 'x');
    out.write(big.data(), static_cast<std::streamsize>(big.size()));
    expected += big;
    out << "end";
    expected += "end";
    EXPECT_LT(sink.str().size(), expected.size()) << "the tail waits for a push";
  }
  // The destructor hands on the rest.
  EXPECT_EQ(sink.str(), expected);
  EXPECT_LT(sink.writes, 20);
}

TEST(ChunkedOutput, AFailingTargetMarksTheStream) {
  std::ostringstream target;
  target.setstate(std::ios::badbit);
  tessaro::chunked_ostream out(target);
  out << "x";
  out.push();
  EXPECT_TRUE(out.bad());
}

}  // namespace
