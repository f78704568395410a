// Checked writes.
#include "driver/merge_output.h"

#include <cerrno>
#include <cstring>

namespace {

std::string reason() {
  return errno != 0 ? std::strerror(errno) : "unknown error";
}

}  // namespace

tessaro::outcome check_created(const std::ios& s, const std::string& what,
                               const std::string& name) {
  if (!s.fail()) return {};
  tessaro::diagnostic d =
      tessaro::refusal(name, 0, "", "cannot create " + what + " file " + name + ": " + reason());
  d.fixed_text = true;
  return d;
}

tessaro::outcome check_written(std::ostream& out, const std::string& what,
                               const std::string& name) {
  // A write that failed before left its errno; a failing flush sets its own.
  if (!out.fail()) {
    errno = 0;
    out.flush();
  }
  if (!out.fail()) return {};
  tessaro::diagnostic d =
      tessaro::refusal(name, 0, "", "cannot write " + what + " file " + name + ": " + reason());
  d.fixed_text = true;
  return d;
}
