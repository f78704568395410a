// Abstract scanner interface: the text of the last token and the buffer and
// stream operations every longest-match scanner of the program offers.
#pragma once

#include <istream>
#include <ostream>

struct yy_buffer_state;

class FlexLexer {
 public:
  virtual ~FlexLexer() {}

  // Text of the last token (zero-terminated) and its length.
  const char* YYText() const { return yytext; }
  int YYLeng() const { return yyleng; }

  virtual void yy_switch_to_buffer(yy_buffer_state* new_buffer) = 0;
  virtual yy_buffer_state* yy_create_buffer(std::istream* s, int size) = 0;
  virtual void yy_delete_buffer(yy_buffer_state* b) = 0;
  // Reads from `s` from now on, discarding whatever is buffered.
  virtual void yyrestart(std::istream* s) = 0;
  // Next token code; 0 at the end of the input.
  virtual int yylex() = 0;
  virtual void switch_streams(std::istream* new_in, std::ostream* new_out) = 0;

 protected:
  char* yytext = nullptr;
  int yyleng = 0;
};
