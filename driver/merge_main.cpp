#include <iostream>
#include <string>
#include <vector>

#include "driver/merge_run.h"
#include "support/deep_stack.h"
#include "support/heap_reserve.h"
#include "support/out_of_memory.h"

int main(int argc, char** argv) {
  tessaro::ensure_deep_stack(argv);
  tessaro::stop_when_out_of_memory();
  // The heap is sized from every argument that names a file (the inputs,
  // and at most an old output beside them).
  tessaro::reserve_heap(tessaro::input_bytes(std::vector<std::string>(argv + 1, argv + argc)));
  // Standard output may carry the whole model (-o -): no stdio syncing.
  std::ios::sync_with_stdio(false);
  return tessaro_merge_main(argc, argv);
}
