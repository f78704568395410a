// Building lines of text in a string before writing them at once: numbers
// are appended in the digits a stream would write, without its locale and
// sentry machinery.
#pragma once

#include <string>

#include "support/decimal.h"

namespace tessaro {

// Appends `value` in decimal, as `out << value` writes it.
inline void append_number(std::string& text, long value) {
  char digits[kDecimalRoom];
  text.append(digits, write_decimal(digits, value));
}

}  // namespace tessaro
