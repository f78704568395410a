// Scanner of BLIF text: cuts the input into the tokens of blif_tokens.h.
//
// Line ends are tokens only while the process-wide newline mode is 1, that is
// from a ".names" keyword up to the next keyword. Bytes no rule takes are
// copied to the echo stream. Fatal scanner errors exit with status 2.
#pragma once

#include <istream>
#include <ostream>

#include "blif/blif_tokens.h"
#include "blif/flex_lexer.h"

// 1 while line ends are tokens; shared by every scanner of the process.
extern int lex_blif_newline_mode;

// Sets the newline mode for keyword tokens and returns `token` unchanged.
int blif_context(int token);
// End of a stream is the end of the input.
int blifwrap();

class blifFlexLexer : public FlexLexer {
 public:
  // Reads `in` (null: standard input) and echoes to `out` (null: standard output).
  blifFlexLexer(std::istream* in = nullptr, std::ostream* out = nullptr);
  ~blifFlexLexer() override;
  blifFlexLexer(const blifFlexLexer&) = delete;
  blifFlexLexer& operator=(const blifFlexLexer&) = delete;

  void yy_switch_to_buffer(yy_buffer_state* new_buffer) override;
  yy_buffer_state* yy_create_buffer(std::istream* s, int size) override;
  void yy_delete_buffer(yy_buffer_state* b) override;
  void yyrestart(std::istream* s) override;
  int yylex() override;
  void switch_streams(std::istream* new_in, std::ostream* new_out = nullptr) override;

  // Bytes of YYText() that can be read whatever its length, when it is the
  // scanner's own text storage (text_is_own).
  static constexpr int kTextBlock = 16;
  bool text_is_own() const { return yytext == text_; }

 protected:
  // Reads one character into buf[0]: 1, 0 at the end, -1 on a bad stream.
  virtual int LexerInput(char* buf, int max_size);
  virtual void LexerOutput(const char* buf, int size);
  // Writes the message on standard error and exits with status 2.
  [[noreturn]] virtual void LexerError(const char* msg);

  // Scanner state is private to the implementation.

 private:
  enum start_condition { kNormal, kComment };
  // Rules of the normal condition, in priority order.
  enum rule {
    kRuleComment = 1,
    kRuleBlanks = 4,
    kRuleLineEnds,
    kRuleKeyword,
    kRuleZero = 12,
    kRuleOne,
    kRuleIndif,
    kRuleIdent,
    kRuleEcho
  };

  // Byte `offset` past the start of the current token, read in on demand;
  // -1 at the end of the input.
  int peek(int offset);
  // peek() when the byte is not in the buffer yet.
  int fill_and_peek(int offset);
  // Takes the next `n` bytes copied ahead from the stream's get area.
  void take_ahead(int n);
  // Copies up to `room` bytes from the stream's get area after the buffered
  // ones without taking them from the stream; returns how many. Only when
  // LexerInput is this class's own and the stream is good.
  int copy_ahead(int room);
  // Forgets the bytes copied ahead when the stream has moved since.
  void check_ahead();
  // Offset of the first byte from offset `n` on that is in none of `classes`,
  // looked at as peek() does (the end of the input when there is none).
  int run_end(int n, unsigned char classes);
  // run_end() once the run has reached the end of the buffered bytes.
  int run_end_after_buffer(int n, unsigned char classes);
  // Takes from the stream every byte up to offset `offset`, as peek() would.
  void look_at(int offset);
  // Offset of the first byte from offset 2 on that differs from `text`, or
  // its length when all match; looks at bytes as peek() one by one would.
  // The two bytes before are known to match.
  int matched_prefix(const char* text);
  // Skips comment text up to and with the next line end, or all that is
  // buffered when it holds no line end.
  void skip_comment();
  // Frees room at the end of the current buffer: drops the bytes before the
  // current token, or doubles the buffer when the token fills it.
  void make_room();
  // The next token, when it is an identifier, a value or a line end and it
  // and the byte after it are all buffered, taken as the general path would
  // take it; -1 otherwise, with nothing taken.
  int scan_buffered();
  // The next token by the rules themselves, whatever is buffered.
  __attribute__((noinline)) int scan_general();
  // Longest match of the normal condition at the current position, whose
  // first byte is `c`; sets `length`, and `token` for keywords.
  int match_normal(int c, int* length, int* token);
  // Makes the next `length` bytes the text of the last token and skips them.
  void take(int length);
  // Makes room in the text storage for `length` bytes and a zero.
  void grow_text(int length);
  void skip(int length);

  std::istream* yyin_;
  std::ostream* yyout_;
  yy_buffer_state* buffer_ = nullptr;
  bool started_ = false;
  bool direct_ = false;  // reads the stream buffer's get area itself
  start_condition start_ = kNormal;
  char* text_ = nullptr;  // storage of yytext
  int text_capacity_ = 0;
  char empty_text_[1] = {0};
};
