// Fatal errors, byte helpers and the version of the memory manager.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bdd/mem/mem_internal.h"

void mem_fatal(const char* text) {
  std::fprintf(stderr, "Memory management library: error: %s\n", text);
  std::exit(1);
}

void mem_copy(void* dst, const void* src, std::size_t count) {
  if (count != 0) std::memmove(dst, src, count);
}

void mem_zero(void* area, std::size_t count) {
  if (count != 0) std::memset(area, 0, count);
}

const char* mem_version() {
  return "1.0";
}
