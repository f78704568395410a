// run_guarded for the libFuzzer targets: exit() is wrapped (see fuzz_exit.h).
#include "tests/fuzz/fuzz_exit.h"

#include <csetjmp>
#include <cstdlib>

#include "tests/fuzz/quiet_streams.h"

extern "C" [[noreturn]] void __real_exit(int status);

namespace {

std::jmp_buf back;
volatile bool armed = false;

}  // namespace

extern "C" [[noreturn]] void __wrap_exit(int status) {
  if (!armed) __real_exit(status);
  armed = false;
  // Only the statuses the product gives users are results; the jump value
  // must not be 0.
  if (status != 1 && status != 2) std::abort();
  std::longjmp(back, status);
}

namespace tessaro_fuzz {

int run_guarded(input_fn fn, const std::uint8_t* data, std::size_t size) {
  quiet_streams quiet;
  reset_process_state();
  const int status = setjmp(back);
  if (status == 0) {
    armed = true;
    fn(data, size);
    armed = false;
  }
  reset_process_state();
  return status;
}

}  // namespace tessaro_fuzz
