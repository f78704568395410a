// An output stream that gathers what is written into a fixed buffer and hands
// it to another stream only one large chunk at a time, when the buffer is
// full or when push() is called: few writes to an unbuffered stream such as
// std::cerr, without holding a whole long text in memory. Flushing the
// stream (std::endl, std::flush) writes nothing by itself.
#pragma once

#include <ostream>
#include <streambuf>
#include <vector>

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
  std::ostream& target_;
  std::vector<char> room_;
};

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

 private:
  chunked_buffer buffer_;
};

}  // namespace tessaro
