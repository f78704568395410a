// Decimal digits of integers written straight into a caller's room: the
// bytes `out << value` gives, without a stream, a locale or a copy through
// a scratch array. Texts of this program are full of small and middle-sized
// numbers: a digit is one store, a number below 10^4 a few comparisons and
// one copy of four bytes from a table, one below 10^8 one division more and
// a second copy.
#pragma once

#include <cstdint>
#include <cstring>

namespace tessaro {

// Room enough for any long: a sign and 19 digits.
constexpr int kDecimalRoom = 20;

namespace decimal_detail {

// "0000" to "9999", four characters each, one after the other.
struct quad_table {
  char digits[4 * 10000];
};

constexpr quad_table make_quads() {
  quad_table t{};
  for (int i = 0; i < 10000; ++i) {
    t.digits[4 * i] = static_cast<char>('0' + i / 1000);
    t.digits[4 * i + 1] = static_cast<char>('0' + i / 100 % 10);
    t.digits[4 * i + 2] = static_cast<char>('0' + i / 10 % 10);
    t.digits[4 * i + 3] = static_cast<char>('0' + i % 10);
  }
  return t;
}

inline constexpr quad_table kQuads = make_quads();

// The four digits of u < 10^4, leading zeros kept.
inline char* write_quad(char* at, std::uint32_t u) {
  std::memcpy(at, kQuads.digits + 4 * u, 4);
  return at + 4;
}

// The digits of u < 10^4 without leading zeros. Four bytes are copied in
// every case (the bytes after the last digit are left to the caller's room):
// the copy starts at the first significant digit of u's entry, and for u
// below 1000 runs into the next entry, which exists.
inline char* write_short(char* at, std::uint32_t u) {
  const int n = 1 + (u >= 10) + (u >= 100) + (u >= 1000);
  std::memcpy(at, kQuads.digits + 4 * u + (4 - n), 4);
  return at + n;
}

// Writes the digits of u < 10^8 at `at` and returns their end.
__attribute__((always_inline)) inline char* write_below_1e8(char* at, std::uint32_t u) {
  if (u < 10) {
    *at = static_cast<char>('0' + u);
    return at + 1;
  }
  if (u < 10000) return write_short(at, u);
  const std::uint32_t high = u / 10000;
  at = write_short(at, high);
  return write_quad(at, u - high * 10000);
}

// Writes the digits of any u at `at` and returns their end: the leading
// part, then the last eight digits.
template <class U>
inline char* write_digits(char* at, U u) {
  if (u < 100000000) return write_below_1e8(at, static_cast<std::uint32_t>(u));
  const U top = u / 100000000;
  const auto low = static_cast<std::uint32_t>(u - top * 100000000);
  at = write_digits(at, top);
  const std::uint32_t high = low / 10000;
  at = write_quad(at, high);
  return write_quad(at, low - high * 10000);
}

// write_decimal for a value that is negative or not below 10^8.
__attribute__((noinline)) inline char* write_wide(char* at, long value) {
  std::uint64_t u = static_cast<std::uint64_t>(value);
  if (value < 0) {
    *at++ = '-';
    u = 0 - u;
  }
  // Narrow values go through 32-bit arithmetic, whose divisions by
  // constants are cheaper.
  if (u <= UINT32_MAX) return write_digits(at, static_cast<std::uint32_t>(u));
  return write_digits(at, u);
}

}  // namespace decimal_detail

// Writes `value` in decimal at `at` (room for kDecimalRoom bytes, any of
// which may be written) and returns the end of its digits. The common case,
// a value from 0 to 10^8 - 1, is written in line.
__attribute__((always_inline)) inline char* write_decimal(char* at, long value) {
  if (static_cast<std::uint64_t>(value) < 100000000)
    return decimal_detail::write_below_1e8(at, static_cast<std::uint32_t>(value));
  return decimal_detail::write_wide(at, value);
}

}  // namespace tessaro
