// run_guarded for the replay of fuzz inputs: no wrapping, an exit of the
// product ends the child process that runs the input (fuzz_replay.cpp).
#include "tests/fuzz/fuzz_exit.h"
#include "tests/fuzz/quiet_streams.h"

namespace tessaro_fuzz {

int run_guarded(input_fn fn, const std::uint8_t* data, std::size_t size) {
  quiet_streams quiet;
  reset_process_state();
  fn(data, size);
  reset_process_state();
  return 0;
}

}  // namespace tessaro_fuzz
