// Fuzz target: the scanner, then the subset parser with the assembly of the
// automaton, on arbitrary bytes taken as one BLIF file.
//
// The scanner first cuts the whole input into tokens on its own, then a
// fresh scanner feeds the parser, which writes its trace into memory.
// Expected exits (status 1 or 2) are results, see fuzz_exit.h.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_exit.h"
#include "tests/fuzz/input_limits.h"
#include "tests/fuzz/subset_parse.h"

namespace {

tessaro_fuzz::subset_parse* current = nullptr;

void parse_input(const std::uint8_t* data, std::size_t size) {
  tessaro_fuzz::subset_parse& s = *current;
  const std::string text(reinterpret_cast<const char*>(data), size);
  s.in.str(text);
  blifFlexLexer scanner(&s.in, &s.echo);
  // Every token; a scanner that never reaches the end would hang here.
  while (scanner.yylex() != TOKEN_END_OF_INPUT) {
  }
  lex_blif_newline_mode = 0;
  s.run(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (tessaro_fuzz::too_wide(data, size)) return -1;
  auto* session = new tessaro_fuzz::subset_parse;
  current = session;
  const int status = tessaro_fuzz::run_guarded(parse_input, data, size);
  current = nullptr;
  if (status == 0) delete session;
  return 0;
}
