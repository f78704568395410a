// Streams that are flushed when the process ends through exit(), so that a
// fatal error keeps every line written before it without a flush per line.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <vector>

namespace tessaro {

namespace detail {
inline std::vector<std::ostream*>& exit_flush_streams() {
  // Never destroyed: it must outlive every static object flushed at exit.
  static auto* streams = new std::vector<std::ostream*>();
  return *streams;
}
inline void flush_exit_streams() {
  for (std::ostream* s : exit_flush_streams())
    s->flush();
}
}  // namespace detail

// Flushes `s` if the process ends through exit() while it is registered.
inline void flush_at_exit(std::ostream& s) {
  static const bool registered = std::atexit(detail::flush_exit_streams) == 0;
  (void)registered;
  detail::exit_flush_streams().push_back(&s);
}

// Forgets `s` (before it is closed or destroyed).
inline void forget_at_exit(std::ostream& s) {
  auto& streams = detail::exit_flush_streams();
  streams.erase(std::remove(streams.begin(), streams.end(), &s), streams.end());
}

}  // namespace tessaro
