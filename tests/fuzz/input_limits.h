// Bounds a fuzz target puts on its inputs so that each one runs fast.
//
// The product's time grows with the width of a table faster than with its
// length, and wide functions stop only at the cover limits, after seconds.
// Those are measured by the benchmarks; the fuzzers skip inputs with a line
// (a backslash before the line end continues it) of more than kMaxWords words.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaro_fuzz {

constexpr std::size_t kMaxWords = 64;

inline bool too_wide(const std::uint8_t* data, std::size_t size) {
  std::size_t words = 0;
  bool in_word = false;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = data[i];
    if (c == '\\' && i + 1 < size && data[i + 1] == '\n') {
      ++i;
      in_word = false;
      continue;
    }
    if (c == '\n') {
      words = 0;
      in_word = false;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      in_word = false;
    } else if (!in_word) {
      in_word = true;
      if (++words > kMaxWords) return true;
    }
  }
  return false;
}

}  // namespace tessaro_fuzz
