// Decimal digits written in place against the standard conversion, on the
// edges of every digit count, the extremes of a long and random values of
// every size.
#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/decimal.h"
#include "support/text.h"

namespace {

std::string written(long value) {
  // A guard byte after the room catches a write past kDecimalRoom.
  char room[tessaro::kDecimalRoom + 1];
  std::memset(room, '#', sizeof room);
  char* end = tessaro::write_decimal(room, value);
  EXPECT_EQ(room[tessaro::kDecimalRoom], '#') << value;
  return std::string(room, end);
}

std::string expected(long value) {
  char room[32];
  return std::string(room, std::to_chars(room, room + sizeof room, value).ptr);
}

}  // namespace

TEST(Decimal, EveryDigitCountAndBothExtremes) {
  // The 32-bit and the 64-bit paths meet at 2^32.
  std::vector<long> values = {0,          LONG_MAX,    LONG_MIN,    LONG_MIN + 1,
                              4294967295, 4294967296,  -4294967295, -4294967296,
                              4294967297, -4294967297, 2147483648L, -2147483648L};
  for (long p = 1; p <= LONG_MAX / 10; p *= 10) {
    for (long v : {p - 1, p, p + 1, 2 * p, 9 * p + (p - 1)}) {
      values.push_back(v);
      values.push_back(-v);
    }
  }
  for (long v : values)
    EXPECT_EQ(written(v), expected(v));
}

TEST(Decimal, RandomValuesOfEverySize) {
  std::mt19937_64 rng(2026);
  for (int i = 0; i < 200000; ++i) {
    const int bits = static_cast<int>(rng() % 64);
    long v = static_cast<long>(rng() >> (63 - bits));
    if (rng() & 1) v = -v;
    ASSERT_EQ(written(v), expected(v));
  }
}

TEST(Decimal, StringAppenderAddsAfterWhatIsThere) {
  std::string text = "n=";
  tessaro::append_number(text, -40961);
  tessaro::append_number(text, 7);
  EXPECT_EQ(text, "n=-409617");
}
