// What a run is building at the moment (a file being read, the cover of a
// signal being written), for the fatal messages that must say so: running
// out of memory, or a cover that passes its product limit. Setting it costs
// two stores, so a writer can set it once per signal.
#pragma once

#include <string>

namespace tessaro {

struct activity {
  const char* kind = nullptr;         // "file", "signal", ...; null when idle
  const std::string* name = nullptr;  // borrowed; must outlive the activity
};

inline activity& current_activity() {
  static activity now;
  return now;
}

// Records that the run now works on `kind` `name` (borrowed).
inline void set_activity(const char* kind, const std::string& name) {
  current_activity() = activity{kind, &name};
}

inline void clear_activity() {
  current_activity() = activity{};
}

// "signal y", "file a.blif", or an empty text when idle.
inline std::string activity_text() {
  const activity& a = current_activity();
  if (a.kind == nullptr || a.name == nullptr) return std::string();
  return std::string(a.kind) + " " + *a.name;
}

}  // namespace tessaro
