// What a run built lives until the process ends. Taking it apart piece by
// piece (every equation, set, name and table) costs a good share of a run on
// big circuits, and the operating system takes the memory back at once; so a
// plain build leaves it. Builds with TESSARO_RELEASE_AT_END (the sanitizer
// builds) release it, so that their leak checks still see every allocation.
#pragma once

#include <memory>

namespace tessaro {

// Ends the ownership of `owned` at the end of a run.
template <class T>
void release_at_end_of_run(std::unique_ptr<T>& owned) {
#ifdef TESSARO_RELEASE_AT_END
  owned.reset();
#else
  static_cast<void>(owned.release());
#endif
}

}  // namespace tessaro
