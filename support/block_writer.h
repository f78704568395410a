// Text appended in place to a large buffer of its own and handed to a target
// stream's buffer one block at a time: many short lines cost a copy each
// and one call per block. The writer is a stream buffer, so a stream over it
// can be flushed at exit like any other; flushing it pushes what is gathered
// and flushes the target.
#pragma once

#include <cstring>
#include <ostream>
#include <streambuf>
#include <vector>

namespace tessaro {

class block_writer : public std::streambuf {
 public:
  explicit block_writer(std::size_t size = std::size_t{1} << 16) : room_(size > 0 ? size : 1) {
    reset();
  }
  ~block_writer() override { push(); }
  block_writer(const block_writer&) = delete;
  block_writer& operator=(const block_writer&) = delete;

  // Pushes what is gathered, then sends what follows to `target` (null:
  // nowhere).
  void attach(std::ostream* target) {
    push();
    target_ = target;
    target_good_ = target != nullptr && target->good();
  }
  std::ostream* target() const { return target_; }

  void append(const char* text, std::size_t n) {
    if (n <= static_cast<std::size_t>(epptr() - pptr())) {
      std::memcpy(pptr(), text, n);
      pbump(static_cast<int>(n));
      return;
    }
    spill(text, n);
  }
  // append(text, n) for a text of which `Width` bytes (n or more) can be
  // read: a copy of fixed width, which compiles to a few moves.
  template <std::size_t Width>
  void append_padded(const char* text, std::size_t n) {
    if (Width <= static_cast<std::size_t>(epptr() - pptr())) {
      std::memcpy(pptr(), text, Width);
      pbump(static_cast<int>(n));
      return;
    }
    append(text, n);
  }
  void append(char c) {
    if (pptr() == epptr()) push();
    *pptr() = c;
    pbump(1);
  }
  // Bytes that can be appended before the next push, and where they go: a
  // writer of several pieces checks the room once, writes at cursor() and
  // hands the count to advance().
  std::size_t room() const { return static_cast<std::size_t>(epptr() - pptr()); }
  char* cursor() { return pptr(); }
  void advance(std::size_t n) { pbump(static_cast<int>(n)); }
  // Whether the target was good after the last attach or push (false with no
  // target): its state as long as nothing but this writer writes to it.
  bool target_good() const { return target_good_; }
  // Bytes gathered and not pushed yet.
  std::size_t pending() const { return static_cast<std::size_t>(pptr() - pbase()); }

  // Hands what is gathered to the target's buffer; a short write marks the
  // target bad. False when the target is bad afterwards.
  bool push() {
    const std::streamsize n = pptr() - pbase();
    reset();
    if (target_ == nullptr) return true;
    if (n > 0) hand_over(room_.data(), n);
    target_good_ = target_->good();
    return target_good_;
  }

 protected:
  int_type overflow(int_type c) override {
    push();
    if (!traits_type::eq_int_type(c, traits_type::eof())) append(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* text, std::streamsize n) override {
    append(text, static_cast<std::size_t>(n));
    return n;
  }
  int sync() override {
    const bool ok = push();
    if (target_ != nullptr) target_->flush();
    return ok ? 0 : -1;
  }

 private:
  void reset() { setp(room_.data(), room_.data() + room_.size()); }
  // Text longer than the room left: what is gathered goes first, then the
  // text is gathered, or handed over at once when it fills a block itself.
  void spill(const char* text, std::size_t n) {
    push();
    if (n < room_.size()) {
      std::memcpy(pptr(), text, n);
      pbump(static_cast<int>(n));
      return;
    }
    if (target_ != nullptr) hand_over(text, static_cast<std::streamsize>(n));
  }
  void hand_over(const char* text, std::streamsize n) {
    std::streambuf* out = target_->rdbuf();
    if (out == nullptr || out->sputn(text, n) != n) target_->setstate(std::ios::badbit);
  }

  std::vector<char> room_;
  std::ostream* target_ = nullptr;
  bool target_good_ = false;
};

}  // namespace tessaro
