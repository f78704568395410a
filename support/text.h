// Building lines of text in a string before writing them at once: numbers
// are appended in the digits a stream would write, without its locale and
// sentry machinery.
#pragma once

#include <charconv>
#include <string>

namespace tessaro {

// Appends `value` in decimal, as `out << value` writes it.
inline void append_number(std::string& text, long value) {
  char digits[24];
  text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace tessaro
