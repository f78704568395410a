// One parse of a text by the subset scanner and parser, as the tool makes
// it, with the objects it builds owned in one place: a fuzz target keeps
// them when an exit jumps out of the parse (fuzz_exit.h) and frees them
// otherwise.
#pragma once

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"
#include "tests/fuzz/quiet_streams.h"

namespace tessaro_fuzz {

struct subset_parse {
  null_buffer sink;
  std::ostream echo{&sink};
  std::stringbuf trace;
  std::fstream log;
  std::istringstream in;
  std::unique_ptr<blifFlexLexer> scanner;
  std::unique_ptr<class_blif_parser> parser;
  std::unique_ptr<b_automaton> automaton;

  // Parses `text` with a new scanner and parser, the trace going to memory;
  // returns the parser's status (0 accepted, 1 syntax error, 2 stack
  // exhausted, 3 refused). A status that contradicts what the parser left
  // is a fault.
  int run(const std::string& text) {
    in.clear();
    in.str(text);
    scanner = std::make_unique<blifFlexLexer>(&in, &echo);
    log.std::ios::rdbuf(&trace);
    parser = std::make_unique<class_blif_parser>();
    parser->lexer = scanner.get();
    parser->file_name = "fuzz.blif";
    const int status = parser->parse(log, 1);
    automaton.reset(parser->automaton);
    parser->automaton = nullptr;
    if (status == 0 && !automaton) __builtin_trap();         // accepted, nothing built
    if (status == 3 && parser->refusal()) __builtin_trap();  // refused without a reason
    if (status < 0 || status > 3) __builtin_trap();
    return status;
  }
};

}  // namespace tessaro_fuzz
