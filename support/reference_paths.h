// Switch between the fast paths of the tool and the straightforward code
// they replace (a cover computed for every function, latch values found by
// one conjunction each, the initial state built from the first latch down,
// every copy of a function memoised in a hash map).
// The tool never sets it; the test binary tessaro_reference does, so that a
// differential test can compare the two byte for byte on many inputs.
#pragma once

namespace tessaro {

// True when the straightforward paths are to be taken.
inline bool& reference_paths() {
  static bool on = false;
  return on;
}

}  // namespace tessaro
