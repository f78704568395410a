// The tool with its straightforward paths instead of its fast ones, for the
// differential test (tests/differential/run_diff.py).
#include "driver/cli.h"
#include "support/reference_paths.h"

int main(int argc, char** argv) {
  tessaro::reference_paths() = true;
  return tessaro_main(argc, argv);
}
