// Check of the fuzz targets' exit hook (fuzz_exit.h), run as a libFuzzer
// target on one file: the first byte is the status a product exit gives,
// '0' for none. Statuses 1 and 2 must come back from run_guarded, twice in
// a row, with standard error silenced and restored; any other must abort.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "tests/fuzz/fuzz_exit.h"

namespace {

void exit_with(const std::uint8_t* data, std::size_t size) {
  std::cerr << "silenced\n";
  if (size > 0 && data[0] != '0') std::exit(data[0] - '0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int expected = size > 0 ? data[0] - '0' : 0;
  for (int i = 0; i < 2; ++i)
    if (tessaro_fuzz::run_guarded(exit_with, data, size) != expected) std::abort();
  if (!std::cerr.good() || std::cerr.rdbuf() == nullptr) std::abort();
  return 0;
}
