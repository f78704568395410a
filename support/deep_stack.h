// Room for the recursion of the engine and the prime search, whose depth is
// the number of variables a function reads (up to the engine's 65,535): the
// process's stack limit is raised to 1 GiB and the program started again, so
// that the system lays out its memory for that stack. Only the pages the
// stack really uses are taken, so an address-space limit is not spent on it.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

namespace tessaro {

constexpr rlim_t kDeepStack = rlim_t{1} << 30;

// Called first in main, before anything is written: restarts the program
// with the raised limit when it is lower and can be raised; returns when
// it is high enough, cannot be raised, or the restart fails.
inline void ensure_deep_stack(char** argv) {
  struct rlimit limit;
  if (getrlimit(RLIMIT_STACK, &limit) != 0) return;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= kDeepStack) return;
  rlim_t wanted = kDeepStack;
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted) wanted = limit.rlim_max;
  if (wanted <= limit.rlim_cur) return;
  limit.rlim_cur = wanted;
  if (setrlimit(RLIMIT_STACK, &limit) != 0) return;
  // The limit is now as high as it can go: the restarted program returns
  // from here at once.
  execv("/proc/self/exe", argv);
}

}  // namespace tessaro
