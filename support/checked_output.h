// Files a run writes whose every write, flush and close is checked. The
// first failure is kept with its cause (the system's error number); later
// writes to the file are dropped. A driver reports a failed file with one
// line, "cannot write output file a_b.blif: No space left on device", and
// fails the run. Streams registered with check_at_exit are also flushed and
// reported when the process ends through exit() on a fatal error.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace tessaro {

// A buffered stream buffer over a file descriptor that remembers the first
// failed system call.
class checked_filebuf : public std::streambuf {
 public:
  explicit checked_filebuf(std::size_t size = 1 << 16) : room_(size) {
    setp(room_.data(), room_.data() + room_.size());
  }
  ~checked_filebuf() override { close(); }
  checked_filebuf(const checked_filebuf&) = delete;
  checked_filebuf& operator=(const checked_filebuf&) = delete;

  // Creates or empties `name` for writing; false when it cannot be opened.
  bool open(const std::string& name) {
    do {
      fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
  }
  bool is_open() const { return fd_ >= 0; }

  // Writes what is pending and closes the file; false when any write, flush
  // or the close itself failed.
  bool close() {
    if (fd_ < 0) return error_ == 0;
    drain();
    if (::close(fd_) != 0 && error_ == 0 && errno != EINTR) error_ = errno;
    fd_ = -1;
    return error_ == 0;
  }

  // The first error number seen; 0 while every call succeeded.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    // A piece of half the buffer or more, met with nothing pending, goes to
    // the file as it is: blocks gathered by a writer of their own (the
    // log's) are not copied once more.
    if (pptr() == pbase() && static_cast<std::size_t>(n) >= room_.size() / 2)
      return write_all(s, n) ? n : 0;
    if (n <= epptr() - pptr()) {
      std::memcpy(pptr(), s, static_cast<std::size_t>(n));
      pbump(static_cast<int>(n));
      return n;
    }
    if (!drain()) return 0;
    if (static_cast<std::size_t>(n) >= room_.size()) return write_all(s, n) ? n : 0;
    std::memcpy(pptr(), s, static_cast<std::size_t>(n));
    pbump(static_cast<int>(n));
    return n;
  }

  int sync() override { return drain() ? 0 : -1; }

 private:
  // Hands the buffer to the file; false once anything failed.
  bool drain() {
    const std::streamsize pending = pptr() - pbase();
    const bool ok = pending > 0 ? write_all(pbase(), pending) : error_ == 0 && fd_ >= 0;
    setp(room_.data(), room_.data() + room_.size());
    return ok;
  }

  bool write_all(const char* p, std::streamsize n) {
    if (error_ != 0) return false;
    if (fd_ < 0) {
      error_ = EBADF;
      return false;
    }
    while (n > 0) {
      const ssize_t done = ::write(fd_, p, static_cast<std::size_t>(n));
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) {
        error_ = done < 0 ? errno : EIO;
        return false;
      }
      p += done;
      n -= done;
    }
    return true;
  }

  int fd_ = -1;
  int error_ = 0;
  std::vector<char> room_;
};

// An output file of a run: `kind` ("output file", "log file") and name say
// what it is in the failure line.
class checked_ofstream : public std::ostream {
 public:
  checked_ofstream(const char* kind, std::string name)
      : std::ostream(nullptr), kind_(kind), name_(std::move(name)) {
    rdbuf(&buffer_);
    if (!buffer_.open(name_)) setstate(std::ios::failbit);
  }
  ~checked_ofstream() override;
  checked_ofstream(const checked_ofstream&) = delete;
  checked_ofstream& operator=(const checked_ofstream&) = delete;

  bool is_open() const { return buffer_.is_open(); }
  // Flushes and closes; false when the file was not written whole.
  bool close() {
    const bool ok = buffer_.close();
    if (!ok) setstate(std::ios::badbit);
    return ok;
  }
  // Whether a write, flush or close failed so far.
  bool write_failed() const { return buffer_.error() != 0; }
  const std::string& name() const { return name_; }

  // Writes the failure line on standard error once, if there was a failure;
  // true when there was one.
  bool report_failure() {
    if (!write_failed()) return false;
    if (!reported_) {
      reported_ = true;
      // Written with plain system calls: this also runs at exit and when
      // memory has run out.
      const char* parts[] = {
          "cannot write ", kind_, " ", name_.c_str(), ": ", std::strerror(buffer_.error()), "\n"};
      for (const char* part : parts) {
        std::size_t left = std::strlen(part);
        while (left > 0) {
          const ssize_t done = ::write(2, part, left);
          if (done < 0 && errno == EINTR) continue;
          if (done <= 0) break;
          part += done;
          left -= static_cast<std::size_t>(done);
        }
      }
    }
    return true;
  }

 private:
  const char* kind_;
  std::string name_;
  checked_filebuf buffer_;
  bool reported_ = false;
};

namespace detail {
inline std::vector<checked_ofstream*>& checked_exit_streams() {
  // Never destroyed: it must outlive every static object flushed at exit.
  static auto* streams = new std::vector<checked_ofstream*>();
  return *streams;
}
inline void check_exit_streams() {
  for (checked_ofstream* s : checked_exit_streams()) {
    s->flush();
    s->report_failure();
  }
}
}  // namespace detail

// If the process ends through exit() while `s` is registered, flushes it
// and reports a failure of it; a fatal error keeps every line written before
// it without a flush per line.
inline void check_at_exit(checked_ofstream& s) {
  static const bool registered = std::atexit(detail::check_exit_streams) == 0;
  (void)registered;
  detail::checked_exit_streams().push_back(&s);
}

// Forgets `s` (before it is closed or destroyed).
inline void forget_check_at_exit(checked_ofstream& s) {
  auto& streams = detail::checked_exit_streams();
  streams.erase(std::remove(streams.begin(), streams.end(), &s), streams.end());
}

inline checked_ofstream::~checked_ofstream() {
  forget_check_at_exit(*this);
}

}  // namespace tessaro
