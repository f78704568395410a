// Warnings and fatal errors of the engine, in its fixed line formats.
#include <cstdio>
#include <cstdlib>

#include "bdd/bdd.h"

void bdd_warning(const char* text) {
  std::fprintf(stderr, "BDD library: warning: %s\n", text);
}

void bdd_fatal(const char* text) {
  std::fprintf(stderr, "BDD library: error: %s\n", text);
  std::exit(1);
}
