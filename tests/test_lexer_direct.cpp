// The scanner reading its stream buffer's get area directly against the same
// scanner forced to take one character per LexerInput call: same tokens,
// texts, echo, newline mode, stream position and stream state, on random
// inputs handed out in random-sized pieces, with restarts and reads of the
// stream by others between tokens.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "blif/blif_lexer.h"

namespace {

// A stream buffer over a string that hands it out in pieces of random size
// (each refill of the get area is one piece) and can tell how far it has
// been read.
class piece_buffer : public std::streambuf {
 public:
  piece_buffer(std::string text, unsigned seed, std::size_t max_piece)
      : text_(std::move(text)), random_(seed), max_piece_(max_piece) {}

  std::size_t position() const { return piece_start_ + static_cast<std::size_t>(gptr() - eback()); }

 protected:
  int_type underflow() override {
    piece_start_ = position();
    if (piece_start_ >= text_.size()) return traits_type::eof();
    // Mostly short pieces, now and then one longer than the scanner's buffer.
    std::size_t n = random_() % 8 == 0 ? 1 + random_() % max_piece_ : 1 + random_() % 24;
    if (n > text_.size() - piece_start_) n = text_.size() - piece_start_;
    char* start = &text_[piece_start_];
    setg(start, start, start + n);
    return traits_type::to_int_type(*start);
  }

 private:
  std::string text_;
  std::mt19937 random_;
  std::size_t max_piece_;
  std::size_t piece_start_ = 0;
};

// The same scanner made to read through a LexerInput of its own, which
// takes the one-character path for every byte.
class one_by_one_lexer : public blifFlexLexer {
 public:
  using blifFlexLexer::blifFlexLexer;

 protected:
  int LexerInput(char* buf, int max_size) override {
    return blifFlexLexer::LexerInput(buf, max_size);
  }
};

// Pieces of BLIF text and of everything else the rules tell apart.
const char* const kFragments[] = {
    ".model", ".inputs", ".outputs", ".latch", ".names", ".end", ".mod",
    ".e",     ".nam",    ".latc",    ".",      ".MODEL", "#",    "# c .names x\n",
    "\n",     "\n\n\n",  " ",        "\t",     "\\",     "   ",  "0",
    "1",      "-",       "a",        "abc",    "x_9",    "_",    "Z01",
    "\r",     "=",       "9",        "[",      "\x80",   "\xff", "10-1",
    ".endx",  ".latch0"};

std::string random_text(std::mt19937& random, std::size_t fragments) {
  std::string text;
  for (std::size_t i = 0; i < fragments; ++i) {
    switch (random() % 64) {
      case 0:  // a token or a run longer than the scanner's buffer
        text += "n" + std::string(16384 + random() % 3000, 'q');
        break;
      case 1:
        text += std::string(16380 + random() % 10, random() % 2 ? ' ' : '\n');
        break;
      case 2:
        text += '\0';
        break;
      default:
        text += kFragments[random() % (sizeof kFragments / sizeof kFragments[0])];
    }
  }
  return text;
}

// What one scan shows: each token with its text and the newline mode after
// it, the stream position at each restart and at the end, the echo, and the
// stream's state at the end.
struct transcript {
  std::vector<std::string> events;
  std::string echo;
  bool operator==(const transcript& o) const { return events == o.events && echo == o.echo; }
};

// Scans `text` served by a piece_buffer of `seed`, restarting now and then on
// the same stream and now and then taking a byte from the stream between
// two tokens, as `actions` (the same for both scanners) decides.
template <typename Lexer>
transcript scan(const std::string& text, unsigned seed, std::size_t max_piece, int mode) {
  piece_buffer buffer(text, seed, max_piece);
  std::istream in(&buffer);
  std::ostringstream out;
  transcript t;
  lex_blif_newline_mode = mode;
  std::mt19937 actions(seed + 1);
  {
    Lexer lexer(&in, &out);
    for (int token = lexer.yylex(); token != 0; token = lexer.yylex()) {
      t.events.push_back(std::to_string(token) + " " + lexer.YYText() + " " +
                         std::to_string(lex_blif_newline_mode));
      const unsigned action = actions() % 32;
      if (action == 0) {
        lexer.yyrestart(&in);
        t.events.push_back("restart at " + std::to_string(buffer.position()));
      } else if (action == 1) {
        t.events.push_back("taken " + std::to_string(in.rdbuf()->sbumpc()));
      }
    }
    t.events.push_back("end at " + std::to_string(buffer.position()) + " state " +
                       std::to_string(in.rdstate()));
  }
  t.events.push_back("after destruction at " + std::to_string(buffer.position()));
  t.echo = out.str();
  return t;
}

TEST(LexerDirectRead, SameAsOneCharacterAtATimeOnRandomInputs) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 300; ++round) {
    const std::string text = random_text(random, 1 + random() % 400);
    const unsigned seed = random();
    const std::size_t max_piece = round % 3 == 0 ? 40000 : 1 + random() % 64;
    const int mode = static_cast<int>(random() % 2);
    const transcript direct = scan<blifFlexLexer>(text, seed, max_piece, mode);
    const int direct_mode = lex_blif_newline_mode;
    const transcript reference = scan<one_by_one_lexer>(text, seed, max_piece, mode);
    ASSERT_EQ(direct.events, reference.events) << "round " << round;
    ASSERT_EQ(direct.echo, reference.echo) << "round " << round;
    ASSERT_EQ(direct_mode, lex_blif_newline_mode) << "round " << round;
  }
}

// One whole string in the get area, as a string stream has it: the scanner
// copies up to its buffer's room and must still leave the stream right after
// the last byte it has looked at.
TEST(LexerDirectRead, StringStreamPositionAfterEachToken) {
  lex_blif_newline_mode = 0;
  const std::string text = ".model m\n.inputs " + std::string(20000, 'a') + " b+c .mode\n#x\nd";
  std::istringstream in(text);
  std::ostringstream out;
  blifFlexLexer lexer(&in, &out);
  std::vector<long> positions;
  for (int token = lexer.yylex(); token != 0; token = lexer.yylex())
    positions.push_back(static_cast<long>(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in)));
  // .model | m and its line end | .inputs | the long name and the blank |
  // b and "+" | c and the blank | the echoed dot, "mode" | d, the end.
  const long name_end = 17 + 20000;
  EXPECT_EQ(positions, (std::vector<long>{6, 9, 16, name_end + 1, name_end + 3, name_end + 5,
                                          name_end + 11, static_cast<long>(text.size())}));
  EXPECT_EQ(out.str(), "+.");
  EXPECT_TRUE(in.eof());
}

// A stream whose state turns bad between two tokens ends the input at once,
// whatever the scanner had copied from it.
TEST(LexerDirectRead, StreamFailedBetweenTokensEndsTheInput) {
  lex_blif_newline_mode = 0;
  std::istringstream in("a b c");
  std::ostringstream out;
  blifFlexLexer lexer(&in, &out);
  EXPECT_EQ(lexer.yylex(), TOKEN_ident);
  in.setstate(std::ios::failbit);
  EXPECT_EQ(lexer.yylex(), 0);
  in.clear();
  EXPECT_EQ(lexer.yylex(), TOKEN_ident);
  EXPECT_STREQ(lexer.YYText(), "b");
}

// A stream buffer that serves one piece and then fails to read, as a file
// buffer does on an I/O error.
class failing_buffer : public std::streambuf {
 public:
  explicit failing_buffer(std::string text) : text_(std::move(text)) {
    setg(&text_[0], &text_[0], &text_[0] + text_.size());
  }

 protected:
  int_type underflow() override { throw std::ios_base::failure("read error"); }

 private:
  std::string text_;
};

TEST(LexerDirectReadDeathTest, ReadErrorAfterTheGetAreaIsFatal) {
  EXPECT_EXIT(
      {
        failing_buffer buffer(".model abc");
        std::istream in(&buffer);
        std::ostringstream out;
        blifFlexLexer lexer(&in, &out);
        lexer.yylex();
        lexer.yylex();
      },
      ::testing::ExitedWithCode(2), "^input in flex scanner failed\n$");
}

}  // namespace
