// The text buffer: its room grows without losing text, clearing keeps the
// room, numbers read as a stream writes them, and the text goes out in one
// write.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "support/text_buffer.h"

namespace {

// A target that records the size of each write it receives.
class recording_buffer : public std::stringbuf {
 public:
  std::vector<std::streamsize> sizes;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    sizes.push_back(n);
    return std::stringbuf::xsputn(s, n);
  }
};

TEST(TextBuffer, GrowsAroundItsTextAndKeepsTheRoomWhenCleared) {
  tessaro::text_buffer text;
  std::string expected;
  std::ostringstream numbers;
  for (long i = -3000; i < 3000; i += 7) {
    text.append("v");
    text.append_number(i * 1000003);
    text.append(' ');
    numbers << 'v' << i * 1000003 << ' ';
  }
  expected = numbers.str();
  const std::string big(100000, 'z');
  text.append(big);
  expected += big;
  text.append(std::string_view());
  text.append(static_cast<const char*>("\0ignored"), 1);
  expected += '\0';
  EXPECT_EQ(text.view(), expected);

  const std::size_t room = text.capacity();
  text.clear();
  EXPECT_EQ(text.size(), 0u);
  text.append_number(LONG_MIN);
  text.append(' ');
  text.append_number(LONG_MAX);
  EXPECT_EQ(text.capacity(), room) << "clearing keeps the room";
  EXPECT_EQ(text.view(), std::to_string(LONG_MIN) + " " + std::to_string(LONG_MAX));
}

TEST(TextBuffer, WritesItsWholeTextInOneCall) {
  recording_buffer sink;
  std::ostream out(&sink);
  tessaro::text_buffer text;
  text.write_to(out);
  for (int i = 0; i < 20000; ++i)
    text.append("row 1\n", 6);
  text.write_to(out);
  EXPECT_EQ(sink.str().size(), 120000u);
  ASSERT_EQ(sink.sizes.size(), 1u) << "an empty text writes nothing";
  EXPECT_EQ(sink.sizes[0], 120000);
}

}  // namespace
