#include "driver/cli.h"
#include "support/deep_stack.h"
#include "support/heap_reserve.h"

int main(int argc, char** argv) {
  tessaro::ensure_deep_stack(argv);
  if (argc >= 3)
    tessaro::reserve_heap(
        tessaro::input_bytes({std::string(argv[1]) + ".blif", std::string(argv[2]) + ".blif"}));
  return tessaro_main(argc, argv);
}
