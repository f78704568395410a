// Test tool: reads a general BLIF file, encodes its names and writes the
// canonical subset text on standard output; warnings and a refusal go to
// standard error, one line each. Exit status 0, or 1 after a refusal.
//   tessaro_canonical FILE [-o OUT]
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "blif/canonical_text.h"
#include "blif/general_reader.h"
#include "blif/name_encoding.h"

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "-o")) {
    std::cerr << "usage: tessaro_canonical FILE [-o OUT]" << std::endl;
    return 2;
  }
  tessaro::flat_model model;
  std::vector<tessaro::diagnostic> warnings;
  tessaro::outcome o = tessaro::read_general_blif_file(argv[1], model, warnings);
  for (const tessaro::diagnostic& w : warnings)
    std::cerr << tessaro::diagnostic_line(w) << '\n';
  std::string text;
  if (o) {
    tessaro::encode_names(model);
    o = tessaro::write_canonical_text(model, text);
  }
  if (!o) {
    std::cerr << tessaro::diagnostic_line(o.error()) << std::endl;
    return 1;
  }
  std::FILE* out = argc == 4 ? std::fopen(argv[3], "wb") : stdout;
  if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
      std::fflush(out) != 0) {
    std::cerr << "cannot write the canonical text" << std::endl;
    return 1;
  }
  if (out != stdout) std::fclose(out);
  return 0;
}
