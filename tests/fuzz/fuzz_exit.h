// How a fuzz target runs one input of the product and tells the exits the
// product gives users (a fatal message, then status 1 or 2) from real faults.
//
// The product ends a run it cannot finish with exit(). A fuzz target must
// survive that and go on with the next input, so the libFuzzer build links
// with --wrap=exit: while an input runs, __wrap_exit takes a status of 1 or
// 2 as an expected result and jumps back to run_guarded (fuzz_exit.cpp),
// which returns it; any other status aborts, which libFuzzer reports. The
// frames the jump leaves are never unwound, so what they owned is leaked on
// purpose: the fuzzers run with -detect_leaks=0, and leaks are checked by
// the replay of the corpora in the sanitizer build, where every input runs
// in a child of its own and ends through the real exit (fuzz_replay.cpp).
// Nothing of this is in the product: outside tests/fuzz exit() is untouched.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaro_fuzz {

// One input: the bytes given to the product's entry points.
using input_fn = void (*)(const std::uint8_t* data, std::size_t size);

// Runs `fn` on the input with standard output and error silenced; returns 0
// when it returned, or the status 1 or 2 of an expected exit.
int run_guarded(input_fn fn, const std::uint8_t* data, std::size_t size);

// Clears what a run records in process-wide state and an exit left behind.
void reset_process_state();

}  // namespace tessaro_fuzz
