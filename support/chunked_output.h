// An output stream that gathers what is written into a fixed buffer and hands
// it to another stream only one large chunk at a time, when the buffer is
// full or when push() is called: few writes to an unbuffered stream such as
// std::cerr, without holding a whole long text in memory. Flushing the
// stream (std::endl, std::flush) writes nothing by itself.
//
// Text can also be appended to the buffer itself, bytes and numbers copied
// in place with no stream machinery; both ways fill the same chunks.
#pragma once

#include <cstring>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "support/decimal.h"

namespace tessaro {

class chunked_buffer : public std::streambuf {
 public:
  explicit chunked_buffer(std::ostream& target, std::size_t size = 1 << 16)
      : target_(target), room_(size) {
    setp(room_.data(), room_.data() + room_.size());
  }
  ~chunked_buffer() override { push(); }
  chunked_buffer(const chunked_buffer&) = delete;
  chunked_buffer& operator=(const chunked_buffer&) = delete;

  // Writes what is gathered to the target and flushes it; false on failure.
  bool push() {
    const std::streamsize pending = pptr() - pbase();
    if (pending > 0) target_.write(pbase(), pending);
    setp(room_.data(), room_.data() + room_.size());
    target_.flush();
    return static_cast<bool>(target_);
  }

  // Inlined at every call: most texts are literals or short names, whose
  // copy then becomes a few stores.
  __attribute__((always_inline)) void append(const char* text, std::size_t n) {
    if (n <= static_cast<std::size_t>(epptr() - pptr())) {
      std::memcpy(pptr(), text, n);
      pbump(static_cast<int>(n));
    } else {
      append_across(text, n);
    }
  }
  __attribute__((always_inline)) void append(std::string_view text) {
    append(text.data(), text.size());
  }
  __attribute__((always_inline)) void append(const char* text) { append(text, std::strlen(text)); }
  void append(char c) { sputc(c); }
  // Appends `value` in decimal, as `out << value` writes it.
  __attribute__((always_inline)) void append_number(long value) {
    if (epptr() - pptr() >= kDecimalRoom) {
      pbump(static_cast<int>(write_decimal(pptr(), value) - pptr()));
      return;
    }
    char digits[kDecimalRoom];
    append_across(digits, static_cast<std::size_t>(write_decimal(digits, value) - digits));
  }

 protected:
  int_type overflow(int_type c) override {
    if (!push()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

 private:
  // Fills the chunk, hands it on and goes on, as a stream write does.
  void append_across(const char* text, std::size_t n) {
    sputn(text, static_cast<std::streamsize>(n));
  }

  std::ostream& target_;
  std::vector<char> room_;
};

// Appends `value` in decimal, as for a string (support/text.h).
inline void append_number(chunked_buffer& text, long value) {
  text.append_number(value);
}

// A stream over a chunked_buffer.
class chunked_ostream : public std::ostream {
 public:
  explicit chunked_ostream(std::ostream& target) : std::ostream(nullptr), buffer_(target) {
    rdbuf(&buffer_);
  }

  // Writes what is gathered to the target.
  void push() {
    if (!buffer_.push()) setstate(std::ios::badbit);
  }
  // The buffer, for text appended in place.
  chunked_buffer& text() { return buffer_; }

 private:
  chunked_buffer buffer_;
};

}  // namespace tessaro
