// The stop of a run whose heap is exhausted: instead of an uncaught
// std::bad_alloc, one line on standard error, "out of memory while working on
// signal y" (what the run was building, from support/activity.h; the line
// ends after "out of memory" when it was idle), and exit status 1, so that
// streams registered for exit are flushed and checked.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "support/activity.h"

namespace tessaro {

namespace detail {
// Writes `text` on standard error with plain system calls: the heap is full.
inline void write_stderr(const char* text, std::size_t length) {
  while (length > 0) {
    const ssize_t done = ::write(2, text, length);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;
    text += done;
    length -= static_cast<std::size_t>(done);
  }
}
inline void write_stderr(const char* text) {
  write_stderr(text, std::strlen(text));
}
}  // namespace detail

// Writes the out-of-memory line for the current activity and exits with 1.
[[noreturn]] inline void stop_out_of_memory() {
  // A second exhaustion while exit() flushes the files ends at once.
  static bool stopping = false;
  if (stopping) std::_Exit(1);
  stopping = true;
  detail::write_stderr("out of memory");
  const activity& now = current_activity();
  if (now.kind != nullptr && now.name != nullptr) {
    detail::write_stderr(" while working on ");
    detail::write_stderr(now.kind);
    detail::write_stderr(" ");
    detail::write_stderr(now.name->data(), now.name->size());
  }
  detail::write_stderr("\n");
  std::exit(1);
}

// Makes every failed allocation through operator new stop the run with
// stop_out_of_memory().
inline void stop_when_out_of_memory() {
  std::set_new_handler(stop_out_of_memory);
}

}  // namespace tessaro
