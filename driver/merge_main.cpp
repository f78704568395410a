#include <iostream>

#include "driver/merge_run.h"
#include "support/deep_stack.h"
#include "support/out_of_memory.h"

int main(int argc, char** argv) {
  tessaro::ensure_deep_stack(argv);
  tessaro::stop_when_out_of_memory();
  // Standard output may carry the whole model (-o -): no stdio syncing.
  std::ios::sync_with_stdio(false);
  return tessaro_merge_main(argc, argv);
}
