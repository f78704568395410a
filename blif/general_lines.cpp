#include "blif/general_lines.h"

#include <cstring>

namespace tessaro {

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

bool blif_line_reader::next(blif_line& line) {
  line.words.clear();
  line.number = 0;
  const char* const base = text_.data();
  const std::size_t size = text_.size();
  while (pos_ < size) {
    // One physical line: [pos_, end), its comment cut off at `stop`.
    const char* nl = static_cast<const char*>(std::memchr(base + pos_, '\n', size - pos_));
    const std::size_t end = nl ? static_cast<std::size_t>(nl - base) : size;
    const char* hash = static_cast<const char*>(std::memchr(base + pos_, '#', end - pos_));
    std::size_t stop = hash ? static_cast<std::size_t>(hash - base) : end;
    ++physical_;
    // A backslash as the last byte before the comment and trailing blanks
    // continues the logical line on the next physical line.
    std::size_t last = stop;
    while (last > pos_ && is_blank(base[last - 1]))
      --last;
    const bool continued = last > pos_ && base[last - 1] == '\\';
    if (continued) stop = last - 1;
    for (std::size_t i = pos_; i < stop;) {
      if (is_blank(base[i])) {
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < stop && !is_blank(base[j]))
        ++j;
      if (line.words.empty()) line.number = physical_;
      line.words.emplace_back(base + i, j - i);
      i = j;
    }
    pos_ = nl ? end + 1 : size;
    if (!continued && !line.words.empty()) return true;
  }
  return !line.words.empty();
}

std::string line_text(const blif_line& line, std::size_t first_word) {
  std::string out;
  for (std::size_t i = first_word; i < line.words.size(); ++i) {
    if (i > first_word) out += ' ';
    out += line.words[i];
  }
  return out;
}

}  // namespace tessaro
