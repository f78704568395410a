// A text built in one growing buffer that keeps its room from one use to the
// next: bytes are copied in place and numbers written digit by digit, with no
// string or stream call per piece; the whole text is then written at once.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "support/decimal.h"

namespace tessaro {

class text_buffer {
 public:
  text_buffer() = default;
  text_buffer(const text_buffer&) = delete;
  text_buffer& operator=(const text_buffer&) = delete;

  // Empties the text; the room stays.
  void clear() { size_ = 0; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  const char* data() const { return room_.get(); }
  std::string_view view() const { return {room_.get(), size_}; }

  // Room for `n` more bytes without growing.
  void reserve(std::size_t n) {
    if (n > capacity_ - size_) grow(n);
  }
  void append(const char* text, std::size_t n) {
    reserve(n);
    if (n > 0) std::memcpy(room_.get() + size_, text, n);
    size_ += n;
  }
  void append(std::string_view text) { append(text.data(), text.size()); }
  void append(const char* text) { append(text, std::strlen(text)); }
  void append(char c) {
    reserve(1);
    room_[size_++] = c;
  }
  // Room for `n` more bytes, for the caller to fill in place; extend()
  // then adds the bytes it filled to the text.
  char* room(std::size_t n) {
    reserve(n);
    return room_.get() + size_;
  }
  void extend(std::size_t n) { size_ += n; }
  // Appends `value` in decimal, as `out << value` writes it.
  void append_number(long value) {
    reserve(kDecimalRoom);
    size_ = static_cast<std::size_t>(write_decimal(room_.get() + size_, value) - room_.get());
  }
  // Writes the whole text to `out` in one call (none for an empty text).
  void write_to(std::ostream& out) const {
    if (size_ > 0) out.write(room_.get(), static_cast<std::streamsize>(size_));
  }

 private:
  // At least doubles the room, to hold `n` more bytes.
  void grow(std::size_t n) {
    std::size_t wanted = capacity_ > 0 ? capacity_ * 2 : 256;
    while (wanted - size_ < n)
      wanted *= 2;
    std::unique_ptr<char[]> room(new char[wanted]);
    if (size_ > 0) std::memcpy(room.get(), room_.get(), size_);
    room_ = std::move(room);
    capacity_ = wanted;
  }

  std::unique_ptr<char[]> room_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// Appends `value` in decimal (support/text.h has the same for a string).
inline void append_number(text_buffer& text, long value) {
  text.append_number(value);
}

}  // namespace tessaro
