// Logical lines of a general BLIF text, cut into words. A `#` starts a
// comment that runs to the end of its physical line; a backslash that ends
// a physical line (after its comment is taken away) joins the next one as a
// blank; spaces, tabs, carriage returns, form feeds and vertical tabs are
// blanks; every other byte belongs to a word. Lines without words are
// skipped. One pass over the text, no copy of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

struct blif_line {
  long number = 0;                      // 1-based physical line of the first word
  std::vector<std::string_view> words;  // views into the text
};

class blif_line_reader {
 public:
  explicit blif_line_reader(std::string_view text) : text_(text) {}
  // Fills `line` with the next logical line that holds a word; false at
  // the end of the text.
  bool next(blif_line& line);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  long physical_ = 0;  // physical lines consumed so far
};

// The words of a line joined by single blanks, for messages.
std::string line_text(const blif_line& line, std::size_t first_word = 0);

}  // namespace tessaro
