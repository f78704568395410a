// Decimal digits of integers written straight into a caller's room: the
// bytes `out << value` gives, without a stream, a locale or a copy through
// a scratch array. Texts of this program are full of small and middle-sized
// numbers, which take one comparison per digit and one store per pair.
#pragma once

#include <cstdint>

namespace tessaro {

// Room enough for any long: a sign and 19 digits.
constexpr int kDecimalRoom = 20;

namespace decimal_detail {

constexpr char kPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

template <class U>
inline int digit_count(U u) {
  int n = 1;
  for (;;) {
    if (u < 10) return n;
    if (u < 100) return n + 1;
    if (u < 1000) return n + 2;
    if (u < 10000) return n + 3;
    u /= 10000;
    n += 4;
  }
}

// Writes the digits of u at `at` and returns their end. Narrow values go
// through 32-bit arithmetic, whose divisions by constants are cheaper.
template <class U>
inline char* write_digits(char* at, U u) {
  char* const end = at + digit_count(u);
  char* p = end;
  while (u >= 100) {
    const auto pair = static_cast<unsigned>(u % 100) * 2;
    u /= 100;
    p -= 2;
    p[0] = kPairs[pair];
    p[1] = kPairs[pair + 1];
  }
  if (u >= 10) {
    p[-2] = kPairs[u * 2];
    p[-1] = kPairs[u * 2 + 1];
  } else {
    p[-1] = static_cast<char>('0' + u);
  }
  return end;
}

}  // namespace decimal_detail

// Writes `value` in decimal at `at` (room for kDecimalRoom bytes) and
// returns the end of what it wrote.
inline char* write_decimal(char* at, long value) {
  std::uint64_t u = static_cast<std::uint64_t>(value);
  if (value < 0) {
    *at++ = '-';
    u = 0 - u;
  }
  if (u <= UINT32_MAX) return decimal_detail::write_digits(at, static_cast<std::uint32_t>(u));
  return decimal_detail::write_digits(at, u);
}

}  // namespace tessaro
