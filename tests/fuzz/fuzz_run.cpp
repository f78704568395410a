// Fuzz target: a whole run on two files split from one input: both parses
// with one parser and one scanner, the assembly of both automata, the
// composition and the merge, and the writer with every cover.
//
// The input splits at its first byte 0xFF into the first and the second
// file; without one, the input is merged with itself. The trace and the log
// go to memory, as does the merged model, which must then parse without a
// refusal. Expected exits (status 1 or 2)
// are results, see fuzz_exit.h.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"
#include "driver/merge_stage.h"
#include "tests/fuzz/fuzz_exit.h"
#include "tests/fuzz/input_limits.h"
#include "tests/fuzz/quiet_streams.h"
#include "tests/fuzz/subset_parse.h"

namespace {

// What one input owns; left as it is when an exit jumps out of the run.
struct run_session {
  tessaro_fuzz::null_buffer sink;
  std::ostream echo{&sink};
  std::stringbuf trace;
  std::fstream log;
  std::istringstream in1, in2;
  std::ostringstream out;
  std::unique_ptr<blifFlexLexer> scanner;
  std::unique_ptr<class_blif_parser> parser;
  std::unique_ptr<b_automaton> first, second;
  tessaro_fuzz::subset_parse again;
};

run_session* current = nullptr;

// Parses one file as the tool does: 0 accepted, 1 refused or a syntax error.
int parse_one(run_session& s, std::istringstream& in, const char* name,
              std::unique_ptr<b_automaton>& model) {
  s.scanner->yyrestart(&in);
  s.parser->file_name = name;
  const int status = s.parser->parse(s.log, 1);
  model.reset(s.parser->automaton);
  s.parser->automaton = nullptr;
  if (status == 0 && !model) __builtin_trap();               // accepted without an automaton
  if (status == 3 && s.parser->refusal()) __builtin_trap();  // refused without a reason
  return status == 0 ? 0 : 1;
}

void run_input(const std::uint8_t* data, std::size_t size) {
  run_session& s = *current;
  const char* bytes = reinterpret_cast<const char*>(data);
  const void* split = std::memchr(bytes, 0xFF, size);
  const std::size_t at = split ? static_cast<const char*>(split) - bytes : size;
  s.in1.str(std::string(bytes, at));
  s.in2.str(split ? std::string(bytes + at + 1, size - at - 1) : std::string(bytes, size));

  s.log.std::ios::rdbuf(&s.trace);
  s.parser = std::make_unique<class_blif_parser>();
  s.scanner = std::make_unique<blifFlexLexer>(&s.in1, &s.echo);
  s.parser->lexer = s.scanner.get();
  if (parse_one(s, s.in1, "a.blif", s.first) != 0) return;
  if (parse_one(s, s.in2, "b.blif", s.second) != 0) return;
  tessaro::outcome done = merge_and_write(*s.first, "a.blif", *s.second, "b.blif", s.out, "a_b");
  if (!done) {
    if (!s.out.str().empty()) __builtin_trap();  // a refused merge leaves the output empty
    return;
  }
  // The merged model is one the tool reads and accepts.
  const std::string merged = s.out.str();
  if (merged.compare(0, 11, ".model a_b\n") != 0) __builtin_trap();
  lex_blif_newline_mode = 0;
  if (s.again.run(merged) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (tessaro_fuzz::too_wide(data, size)) return -1;
  auto* session = new run_session;
  current = session;
  const int status = tessaro_fuzz::run_guarded(run_input, data, size);
  current = nullptr;
  if (status == 0) delete session;
  return 0;
}
