// The chunked stream: bytes reach the target whole and in order, only when
// the buffer is full or pushed, never on a flush alone; text appended to the
// buffer in place reaches it in the same chunks as the same text inserted.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/chunked_output.h"

namespace {

// A target that counts the writes it receives.
class counting_buffer : public std::stringbuf {
 public:
  int writes = 0;
  std::vector<std::streamsize> sizes;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    ++writes;
    sizes.push_back(n);
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

TEST(ChunkedOutput, AppendsInPlaceHandOnTheChunksOfTheSameTextInserted) {
  counting_buffer inserted_sink, appended_sink;
  std::ostream inserted_target(&inserted_sink), appended_target(&appended_sink);
  std::mt19937 random(7);
  {
    tessaro::chunked_ostream inserted(inserted_target), appended(appended_target);
    tessaro::chunked_buffer& text = appended.text();
    const long numbers[] = {0, -1, 9, 10, LONG_MAX, LONG_MIN};
    for (int i = 0; i < 40000; ++i) {
      switch (random() % 6) {
        case 0: {
          const long v = numbers[random() % 6];
          inserted << v;
          text.append_number(v);
          break;
        }
        case 1:
          inserted << "name";
          text.append("name");
          break;
        case 2: {
          // Now and then longer than the whole chunk.
          const std::string piece(random() % 50 == 0 ? 70000 + random() % 5000 : random() % 300,
                                  static_cast<char>('a' + random() % 26));
          inserted << piece;
          text.append(piece);
          break;
        }
        case 3:
          inserted << '\n';
          text.append('\n');
          break;
        case 4:
          // Both ways mixed on one stream.
          inserted << " x" << i;
          appended << " x";
          text.append_number(i);
          break;
        default:
          if (random() % 100 == 0) {
            inserted.push();
            appended.push();
          }
      }
    }
  }
  EXPECT_EQ(appended_sink.str(), inserted_sink.str());
  EXPECT_EQ(appended_sink.sizes, inserted_sink.sizes);
  EXPECT_GT(inserted_sink.sizes.size(), 100u);
}

}  // namespace
