#include "blif/blif_lexer.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <streambuf>
#include <typeinfo>

int lex_blif_newline_mode = 0;

// The input of one stream. `chars` holds the bytes read in so far that the
// scanner has not yet consumed, from `pos` (the start of the current token)
// to `count`. The `ahead` bytes after them are copies of the bytes at
// `ahead_from` in the get area of `source`, still unread there: the scanner
// takes them from the stream (moves its get pointer) only when it looks at
// them, so the stream is never ahead of what the scanner has seen.
struct yy_buffer_state {
  std::istream* input;
  char* chars;
  int capacity;
  int count;
  int pos;
  int ahead;
  std::streambuf* source;
  const char* ahead_from;
};

namespace {

constexpr int kBufferSize = 16384;
// Size of the text storage once it exists; it only grows from there.
constexpr int kMinTextCapacity = 64;

struct keyword {
  const char* text;
  int token;
};

// No keyword is a prefix of another, and no two share their second letter.
constexpr keyword kKeywords[] = {
    {".model", TOKEN_model}, {".inputs", TOKEN_inputs}, {".outputs", TOKEN_outputs},
    {".latch", TOKEN_latch}, {".names", TOKEN_names},   {".end", TOKEN_end},
};

// The keyword whose second letter is `c`, or null.
const keyword* keyword_after_dot(int c) {
  for (const keyword& k : kKeywords) {
    if (static_cast<unsigned char>(k.text[1]) == c) return &k;
  }
  return nullptr;
}

// Byte classes of the rules, as bits of kByteClass.
constexpr unsigned char kLetter = 1;  // A to Z, a to z, underscore
constexpr unsigned char kDigit = 2;
constexpr unsigned char kBlank = 4;  // space, tab, backslash
constexpr unsigned char kLineEnd = 8;

// Which rules a byte can start.
enum start_kind : unsigned char {
  kStartOther,  // echoed
  kStartComment,
  kStartBlank,
  kStartLineEnd,
  kStartDot,  // a keyword, or an echoed dot
  kStartZero,
  kStartOne,
  kStartIndif,
  kStartLetter
};

struct byte_classes {
  unsigned char of[256] = {};
  start_kind start[256] = {};
  constexpr byte_classes() {
    for (int c = 'A'; c <= 'Z'; ++c)
      of[c] = kLetter;
    for (int c = 'a'; c <= 'z'; ++c)
      of[c] = kLetter;
    of[static_cast<unsigned char>('_')] = kLetter;
    for (int c = '0'; c <= '9'; ++c)
      of[c] = kDigit;
    of[static_cast<unsigned char>(' ')] = kBlank;
    of[static_cast<unsigned char>('\t')] = kBlank;
    of[static_cast<unsigned char>('\\')] = kBlank;
    of[static_cast<unsigned char>('\n')] = kLineEnd;
    for (int c = 0; c < 256; ++c) {
      if (of[c] == kLetter) start[c] = kStartLetter;
      if (of[c] == kBlank) start[c] = kStartBlank;
    }
    start[static_cast<unsigned char>('#')] = kStartComment;
    start[static_cast<unsigned char>('\n')] = kStartLineEnd;
    start[static_cast<unsigned char>('.')] = kStartDot;
    start[static_cast<unsigned char>('0')] = kStartZero;
    start[static_cast<unsigned char>('1')] = kStartOne;
    start[static_cast<unsigned char>('-')] = kStartIndif;
  }
};
constexpr byte_classes kByteClass;

// The get area of a stream buffer, reached through its protected members.
struct get_area : std::streambuf {
  static const char* next(std::streambuf* b) { return (b->*&get_area::gptr)(); }
  static const char* end(std::streambuf* b) { return (b->*&get_area::egptr)(); }
  static void advance(std::streambuf* b, int n) { (b->*&get_area::gbump)(n); }
};

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
  b->ahead = 0;
  b->source = nullptr;
  b->ahead_from = nullptr;
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
  buffer_->ahead = 0;
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
  yy_buffer_state* b = buffer_;
  const int i = b->pos + offset;
  if (i < b->count) return static_cast<unsigned char>(b->chars[i]);
  if (i < b->count + b->ahead) {
    take_ahead(i + 1 - b->count);
    return static_cast<unsigned char>(b->chars[i]);
  }
  return fill_and_peek(offset);
}

inline void blifFlexLexer::take_ahead(int n) {
  yy_buffer_state* b = buffer_;
  get_area::advance(b->source, n);
  b->ahead_from += n;
  b->ahead -= n;
  b->count += n;
}

void blifFlexLexer::check_ahead() {
  yy_buffer_state* b = buffer_;
  if (b->ahead == 0) return;
  const std::ios& stream = *yyin_;
  std::streambuf* in = stream.rdbuf();
  if (!stream.good() || in != b->source || get_area::next(in) != b->ahead_from ||
      get_area::end(in) - b->ahead_from < b->ahead)
    b->ahead = 0;
}

int blifFlexLexer::copy_ahead(int room) {
  yy_buffer_state* b = buffer_;
  if (!direct_ || !yyin_->good()) return 0;
  std::streambuf* in = yyin_->rdbuf();
  if (in == nullptr) return 0;
  const char* from = get_area::next(in);
  const std::ptrdiff_t there = get_area::end(in) - from;
  if (there <= 0) return 0;
  const int n = there < room ? static_cast<int>(there) : room;
  std::memcpy(b->chars + b->count, from, static_cast<size_t>(n));
  b->ahead = n;
  b->source = in;
  b->ahead_from = from;
  return n;
}

inline int blifFlexLexer::run_end(int n, unsigned char classes) {
  yy_buffer_state* b = buffer_;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(b->chars + b->pos);
  const int end = b->count + b->ahead - b->pos;
  while (n < end && (kByteClass.of[p[n]] & classes) != 0)
    ++n;
  if (n == end) return run_end_after_buffer(n, classes);
  look_at(n);  // the byte that ends the run
  return n;
}

inline void blifFlexLexer::look_at(int offset) {
  yy_buffer_state* b = buffer_;
  const int i = b->pos + offset;
  if (i >= b->count) take_ahead(i + 1 - b->count);
}

int blifFlexLexer::matched_prefix(const char* text) {
  const yy_buffer_state* b = buffer_;
  const int length = static_cast<int>(std::strlen(text));
  int i = 2;
  if (b->count + b->ahead - b->pos >= length) {
    const char* p = b->chars + b->pos;
    while (i < length && p[i] == text[i])
      ++i;
    look_at(i < length ? i : length - 1);
    return i;
  }
  while (text[i] != '\0' && peek(i) == static_cast<unsigned char>(text[i]))
    ++i;
  return i;
}

int blifFlexLexer::run_end_after_buffer(int n, unsigned char classes) {
  for (;;) {
    const int d = peek(n);
    if (d < 0 || (kByteClass.of[d] & classes) == 0) return n;
    ++n;
    const yy_buffer_state* b = buffer_;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(b->chars + b->pos);
    const int end = b->count + b->ahead - b->pos;
    while (n < end && (kByteClass.of[p[n]] & classes) != 0)
      ++n;
  }
}

void blifFlexLexer::skip_comment() {
  const yy_buffer_state* b = buffer_;
  const char* from = b->chars + b->pos;
  const int end = b->count + b->ahead - b->pos;
  const void* line_end = std::memchr(from, '\n', static_cast<size_t>(end));
  const int n = line_end ? static_cast<int>(static_cast<const char*>(line_end) - from) : end - 1;
  peek(n);
  skip(n + 1);
  if (line_end) start_ = kNormal;
}

__attribute__((always_inline)) inline void blifFlexLexer::take(int length) {
  if (length >= text_capacity_) grow_text(length);
  const yy_buffer_state* b = buffer_;
  // A short text is copied as a block of fixed width when the input buffer
  // has room for it (the text storage always has: grow_text never makes it
  // smaller than 64 bytes); the bytes after the text's end are overwritten
  // or unused.
  constexpr int kBlock = kTextBlock;
  static_assert(kBlock <= kMinTextCapacity, "the text storage holds a block");
  if (length < kBlock && b->pos + kBlock <= b->capacity) {
    std::memcpy(text_, b->chars + b->pos, kBlock);
  } else {
    std::memcpy(text_, b->chars + b->pos, static_cast<size_t>(length));
  }
  text_[length] = '\0';
  yytext = text_;
  yyleng = length;
  buffer_->pos += length;
}

__attribute__((always_inline)) inline int blifFlexLexer::scan_buffered() {
  const yy_buffer_state* b = buffer_;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(b->chars + b->pos);
  const int end = b->count + b->ahead - b->pos;
  int i = 0;  // start of the token
  for (;;) {
    while (i < end && (kByteClass.of[p[i]] & kBlank) != 0)
      ++i;
    if (i == end) return -1;
    int n = i + 1;  // end of the token
    int last = i;   // last byte looked at
    int token;
    switch (kByteClass.start[p[i]]) {
      case kStartLetter:
        while (n < end && (kByteClass.of[p[n]] & (kLetter | kDigit)) != 0)
          ++n;
        last = n;
        token = TOKEN_ident;
        break;
      case kStartLineEnd:
        while (n < end && p[n] == '\n')
          ++n;
        last = n;
        token = TOKEN_NL;
        break;
      case kStartZero:
        token = TOKEN_ZERO;
        break;
      case kStartOne:
        token = TOKEN_ONE;
        break;
      case kStartIndif:
        token = TOKEN_indif;
        break;
      default:
        return -1;
    }
    if (last == end) return -1;
    if (token == TOKEN_NL && lex_blif_newline_mode != 1) {
      i = n;
      continue;
    }
    look_at(last);
    buffer_->pos += i;
    take(n - i);
    return token;
  }
}

int blifFlexLexer::yylex() {
  if (!started_) {
    started_ = true;
    if (!yyin_) yyin_ = &std::cin;
    if (!yyout_) yyout_ = &std::cout;
    start_ = kNormal;
    // A subclass may read its input its own way: only this class's own
    // LexerInput is bypassed.
    direct_ = typeid(*this) == typeid(blifFlexLexer);
  }
  if (!buffer_) buffer_ = yy_create_buffer(yyin_, kBufferSize);
  check_ahead();
  if (start_ == kNormal) {
    const int token = scan_buffered();
    if (token >= 0) return token;
  }
  return scan_general();
}

int blifFlexLexer::scan_general() {
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
      skip_comment();
      continue;
    }
    int length = 1;
    int token = 0;
    switch (match_normal(c, &length, &token)) {
      case kRuleComment:
        skip(length);
        start_ = kComment;
        continue;
      case kRuleBlanks:
        skip(length);
        continue;
      case kRuleLineEnds:
        if (lex_blif_newline_mode != 1) {
          skip(length);
          continue;
        }
        token = TOKEN_NL;
        break;
      case kRuleKeyword:
        break;
      case kRuleZero:
        token = TOKEN_ZERO;
        break;
      case kRuleOne:
        token = TOKEN_ONE;
        break;
      case kRuleIndif:
        token = TOKEN_indif;
        break;
      case kRuleIdent:
        token = TOKEN_ident;
        break;
      case kRuleEcho:
        take(length);
        LexerOutput(yytext, yyleng);
        continue;
      default:
        LexerError("fatal flex scanner internal error--no action found");
    }
    take(length);
    return blif_context(token);
  }
}

int blifFlexLexer::match_normal(int c, int* length, int* token) {
  int n = 1;
  int rule = kRuleEcho;
  switch (kByteClass.start[c]) {
    case kStartComment:
      rule = kRuleComment;
      break;
    case kStartBlank:
      n = run_end(1, kBlank);
      rule = kRuleBlanks;
      break;
    case kStartLineEnd:
      n = run_end(1, kLineEnd);
      rule = kRuleLineEnds;
      break;
    case kStartDot: {
      // Only the keyword with this second letter can match; the others
      // fail on it.
      const keyword* k = keyword_after_dot(peek(1));
      if (k == nullptr) break;
      const int i = matched_prefix(k->text);
      if (k->text[i] == '\0') {
        n = i;
        *token = k->token;
        rule = kRuleKeyword;
      }
      break;
    }
    case kStartZero:
      rule = kRuleZero;
      break;
    case kStartOne:
      rule = kRuleOne;
      break;
    case kStartIndif:
      rule = kRuleIndif;
      break;
    case kStartLetter:
      n = run_end(1, kLetter | kDigit);
      rule = kRuleIdent;
      break;
    default:
      break;
  }
  *length = n;
  return rule;
}

int blifFlexLexer::fill_and_peek(int offset) {
  yy_buffer_state* b = buffer_;
  for (;;) {
    const int i = b->pos + offset;
    if (i < b->count) return static_cast<unsigned char>(b->chars[i]);
    // Every byte before the one asked for has been looked at.
    if (b->ahead > 0) {
      take_ahead(i + 1 - b->count < b->ahead ? i + 1 - b->count : b->ahead);
      continue;
    }
    if (b->count == b->capacity) make_room();
    int room = b->capacity - b->count;
    if (copy_ahead(room) > 0) continue;
    int n = LexerInput(b->chars + b->count, room);
    if (n < 0) LexerError("input in flex scanner failed");
    if (n == 0) return -1;
    if (n > room) LexerError("fatal flex scanner internal error--end of buffer missed");
    b->count += n;
  }
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

void blifFlexLexer::grow_text(int length) {
  int capacity = text_capacity_ > 0 ? text_capacity_ : kMinTextCapacity;
  while (capacity <= length) {
    if (capacity > INT_MAX / 2) LexerError("fatal error - scanner input buffer overflow");
    capacity *= 2;
  }
  char* text = static_cast<char*>(std::realloc(text_, static_cast<size_t>(capacity)));
  if (!text) LexerError("fatal error - scanner input buffer overflow");
  text_ = text;
  text_capacity_ = capacity;
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
