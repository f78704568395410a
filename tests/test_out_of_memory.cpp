// The stop of a run whose heap is exhausted: one line naming what was being
// built, status 1, through exit() so that files registered for exit are
// still flushed.
#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <string>

#include "support/activity.h"
#include "support/out_of_memory.h"
#include "tests/test_util.h"

namespace {

// An allocation no system grants, through operator new. AddressSanitizer's
// operator new never calls the new handler: there the stop is called itself.
void exhaust_the_heap() {
  tessaro::stop_when_out_of_memory();
  if (testutil::built_with_asan()) tessaro::stop_out_of_memory();
  volatile std::size_t huge = std::size_t{1} << 62;
  void* p = ::operator new(huge);
  ::operator delete(p);
}

}  // namespace

TEST(OutOfMemory, NamesTheSignalBeingBuilt) {
  const std::string name = "inst0_y";
  EXPECT_EXIT(
      {
        tessaro::set_activity("signal", name);
        exhaust_the_heap();
      },
      testing::ExitedWithCode(1), "^out of memory while working on signal inst0_y\n$");
}

TEST(OutOfMemory, IdleRunSaysOnlyThat) {
  EXPECT_EXIT(
      {
        tessaro::clear_activity();
        exhaust_the_heap();
      },
      testing::ExitedWithCode(1), "^out of memory\n$");
}
