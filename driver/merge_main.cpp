#include <iostream>

#include "driver/merge_run.h"

int main(int argc, char** argv) {
  // Standard output may carry the whole model (-o -): no stdio syncing.
  std::ios::sync_with_stdio(false);
  return tessaro_merge_main(argc, argv);
}
