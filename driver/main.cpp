#include "driver/cli.h"
#include "support/deep_stack.h"

int main(int argc, char** argv) {
  tessaro::ensure_deep_stack(argv);
  return tessaro_main(argc, argv);
}
