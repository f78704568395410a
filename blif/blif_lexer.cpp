#include "blif/blif_lexer.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

int lex_blif_newline_mode = 0;

// The input of one stream. `chars` holds the bytes read in so far that the
// scanner has not yet consumed, from `pos` (the start of the current token)
// to `count`.
struct yy_buffer_state {
  std::istream* input;
  char* chars;
  int capacity;
  int count;
  int pos;
};

namespace {

constexpr int kBufferSize = 16384;

struct keyword {
  const char* text;
  int token;
};

// No keyword is a prefix of another, so the first one that matches in full
// is the longest match.
constexpr keyword kKeywords[] = {
    {".model", TOKEN_model}, {".inputs", TOKEN_inputs}, {".outputs", TOKEN_outputs},
    {".latch", TOKEN_latch}, {".names", TOKEN_names},   {".end", TOKEN_end},
};

bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\\';
}
bool is_letter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

}  // namespace

int blif_context(int token) {
  switch (token) {
    case TOKEN_model:
    case TOKEN_inputs:
    case TOKEN_outputs:
    case TOKEN_latch:
    case TOKEN_end:
      lex_blif_newline_mode = 0;
      break;
    case TOKEN_names:
      lex_blif_newline_mode = 1;
      break;
    default:
      break;
  }
  return token;
}

int blifwrap() {
  return 1;
}

blifFlexLexer::blifFlexLexer(std::istream* in, std::ostream* out) : yyin_(in), yyout_(out) {
  yytext = empty_text_;
}

blifFlexLexer::~blifFlexLexer() {
  yy_delete_buffer(buffer_);
  std::free(text_);
}

void blifFlexLexer::yy_switch_to_buffer(yy_buffer_state* new_buffer) {
  buffer_ = new_buffer;
  if (new_buffer) yyin_ = new_buffer->input;
}

yy_buffer_state* blifFlexLexer::yy_create_buffer(std::istream* s, int size) {
  yy_buffer_state* b = new (std::nothrow) yy_buffer_state;
  if (!b) LexerError("out of dynamic memory in yy_create_buffer()");
  b->capacity = size > 0 ? size : 1;
  b->chars = static_cast<char*>(std::malloc(static_cast<size_t>(b->capacity)));
  if (!b->chars) {
    delete b;
    LexerError("out of dynamic memory in yy_create_buffer()");
  }
  b->input = s ? s : &std::cin;
  b->count = 0;
  b->pos = 0;
  return b;
}

void blifFlexLexer::yy_delete_buffer(yy_buffer_state* b) {
  if (!b) return;
  if (b == buffer_) buffer_ = nullptr;
  std::free(b->chars);
  delete b;
}

void blifFlexLexer::yyrestart(std::istream* s) {
  if (!s) s = &std::cin;
  if (!buffer_) buffer_ = yy_create_buffer(s, kBufferSize);
  buffer_->input = s;
  buffer_->count = 0;
  buffer_->pos = 0;
  yyin_ = s;
}

void blifFlexLexer::switch_streams(std::istream* new_in, std::ostream* new_out) {
  if (new_in) {
    yy_delete_buffer(buffer_);
    yy_switch_to_buffer(yy_create_buffer(new_in, kBufferSize));
  }
  if (new_out) yyout_ = new_out;
}

inline int blifFlexLexer::peek(int offset) {
  const yy_buffer_state* b = buffer_;
  if (b->pos + offset < b->count) return static_cast<unsigned char>(b->chars[b->pos + offset]);
  return fill_and_peek(offset);
}

int blifFlexLexer::yylex() {
  if (!started_) {
    started_ = true;
    if (!yyin_) yyin_ = &std::cin;
    if (!yyout_) yyout_ = &std::cout;
    start_ = kNormal;
  }
  if (!buffer_) buffer_ = yy_create_buffer(yyin_, kBufferSize);

  for (;;) {
    int c = peek(0);
    if (c < 0) {
      // The end of the input leaves the start condition as it is, so a
      // restart after a final unterminated comment continues the comment.
      yytext = empty_text_;
      yyleng = 0;
      if (blifwrap()) return TOKEN_END_OF_INPUT;
      continue;
    }
    if (start_ == kComment) {
      skip(1);
      if (c == '\n') start_ = kNormal;
      continue;
    }
    int length = 1;
    int token = 0;
    switch (match_normal(c, &length, &token)) {
      case kRuleComment:
        skip(length);
        start_ = kComment;
        break;
      case kRuleBlanks:
        skip(length);
        break;
      case kRuleLineEnds:
        if (lex_blif_newline_mode == 1) {
          take(length);
          return TOKEN_NL;
        }
        skip(length);
        break;
      case kRuleKeyword:
        take(length);
        return blif_context(token);
      case kRuleZero:
        take(length);
        return blif_context(TOKEN_ZERO);
      case kRuleOne:
        take(length);
        return blif_context(TOKEN_ONE);
      case kRuleIndif:
        take(length);
        return blif_context(TOKEN_indif);
      case kRuleIdent:
        take(length);
        return blif_context(TOKEN_ident);
      case kRuleEcho:
        take(length);
        LexerOutput(yytext, yyleng);
        break;
      default:
        LexerError("fatal flex scanner internal error--no action found");
    }
  }
}

int blifFlexLexer::match_normal(int c, int* length, int* token) {
  int n = 1;
  int rule;
  if (c == '#') {
    rule = kRuleComment;
  } else if (is_blank(c)) {
    while (is_blank(peek(n)))
      ++n;
    rule = kRuleBlanks;
  } else if (c == '\n') {
    while (peek(n) == '\n')
      ++n;
    rule = kRuleLineEnds;
  } else if (c == '.') {
    rule = kRuleEcho;
    for (const keyword& k : kKeywords) {
      int i = 1;
      while (k.text[i] != '\0' && peek(i) == static_cast<unsigned char>(k.text[i]))
        ++i;
      if (k.text[i] == '\0') {
        n = i;
        *token = k.token;
        rule = kRuleKeyword;
        break;
      }
    }
  } else if (c == '0') {
    rule = kRuleZero;
  } else if (c == '1') {
    rule = kRuleOne;
  } else if (c == '-') {
    rule = kRuleIndif;
  } else if (is_letter(c)) {
    for (int d = peek(n); is_letter(d) || is_digit(d); d = peek(n))
      ++n;
    rule = kRuleIdent;
  } else {
    rule = kRuleEcho;
  }
  *length = n;
  return rule;
}

int blifFlexLexer::fill_and_peek(int offset) {
  yy_buffer_state* b = buffer_;
  while (b->pos + offset >= b->count) {
    if (b->count == b->capacity) make_room();
    int room = b->capacity - b->count;
    int n = LexerInput(b->chars + b->count, room);
    if (n < 0) LexerError("input in flex scanner failed");
    if (n == 0) return -1;
    if (n > room) LexerError("fatal flex scanner internal error--end of buffer missed");
    b->count += n;
  }
  return static_cast<unsigned char>(b->chars[b->pos + offset]);
}

void blifFlexLexer::make_room() {
  yy_buffer_state* b = buffer_;
  if (b->pos > 0) {
    std::memmove(b->chars, b->chars + b->pos, static_cast<size_t>(b->count - b->pos));
    b->count -= b->pos;
    b->pos = 0;
    return;
  }
  if (b->capacity > INT_MAX / 2) LexerError("fatal error - scanner input buffer overflow");
  int capacity = b->capacity * 2;
  char* chars = static_cast<char*>(std::realloc(b->chars, static_cast<size_t>(capacity)));
  if (!chars) LexerError("fatal error - scanner input buffer overflow");
  b->chars = chars;
  b->capacity = capacity;
}

void blifFlexLexer::take(int length) {
  if (length >= text_capacity_) {
    int capacity = text_capacity_ > 0 ? text_capacity_ : 64;
    while (capacity <= length) {
      if (capacity > INT_MAX / 2) LexerError("fatal error - scanner input buffer overflow");
      capacity *= 2;
    }
    char* text = static_cast<char*>(std::realloc(text_, static_cast<size_t>(capacity)));
    if (!text) LexerError("fatal error - scanner input buffer overflow");
    text_ = text;
    text_capacity_ = capacity;
  }
  std::memcpy(text_, buffer_->chars + buffer_->pos, static_cast<size_t>(length));
  text_[length] = '\0';
  yytext = text_;
  yyleng = length;
  buffer_->pos += length;
}

void blifFlexLexer::skip(int length) {
  buffer_->pos += length;
}

int blifFlexLexer::LexerInput(char* buf, int /*max_size*/) {
  if (yyin_->eof() || yyin_->fail()) return 0;
  // One character straight from the stream's buffer, as get() would take
  // it but without setting up a sentry for every character.
  std::streambuf* in = yyin_->rdbuf();
  if (in == nullptr) {
    yyin_->setstate(std::ios::badbit);
    return -1;
  }
  // A file buffer reports a failed read of the file (an I/O error) with an
  // exception; the scanner takes it as a failed input.
  int c;
  try {
    c = in->sbumpc();
  } catch (...) {
    yyin_->setstate(std::ios::badbit);
    return -1;
  }
  if (c == std::char_traits<char>::eof()) {
    yyin_->setstate(std::ios::eofbit | std::ios::failbit);
    return 0;
  }
  buf[0] = static_cast<char>(c);
  return 1;
}

void blifFlexLexer::LexerOutput(const char* buf, int size) {
  yyout_->write(buf, size);
}

void blifFlexLexer::LexerError(const char* msg) {
  std::cerr << msg << '\n' << std::flush;
  std::exit(2);
}
