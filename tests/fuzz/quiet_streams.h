// Standard output and error of the C++ streams sent nowhere while a fuzz
// input runs, and the process-wide state a run leaves reset.
#pragma once

#include <iostream>
#include <streambuf>

namespace tessaro_fuzz {

// A stream buffer that takes every byte and keeps none.
class null_buffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Silences std::cout and std::cerr for its lifetime (C stdio is left alone:
// only the engine's fatal messages use it).
class quiet_streams {
 public:
  quiet_streams() : out_(std::cout.rdbuf(&sink_)), err_(std::cerr.rdbuf(&sink_)) {}
  ~quiet_streams() {
    std::cout.rdbuf(out_);
    std::cerr.rdbuf(err_);
    std::cout.clear();
    std::cerr.clear();
  }
  quiet_streams(const quiet_streams&) = delete;
  quiet_streams& operator=(const quiet_streams&) = delete;

 private:
  null_buffer sink_;
  std::streambuf* out_;
  std::streambuf* err_;
};

}  // namespace tessaro_fuzz
