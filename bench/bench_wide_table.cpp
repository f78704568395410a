// One table of n inputs, n from 2,500 to 20,000, merged with an empty model:
// an and (one row of n ones) through the whole run, the reader, the
// composition with its trace and the writer; an or (one row of n zeros with
// output 0) through the reader and the composition with its trace. The or's
// cover in the output file is n rows of n columns, n^2 bytes: its writer is
// left out. The reader, the widening of the and's product and its prime
// search are linear (the and's one prime is carried up the chain, not copied
// at each level); what remains above 2 per doubling for the or is its n
// products each found on the whole function, which is why it stops at 10,000.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "automaton/merge.h"
#include "blif/blif_lexer.h"
#include "blif/blif_parser.h"

namespace {

std::string table(int n, char value, char output) {
  std::string inputs;
  for (int i = 0; i < n; ++i)
    inputs += " x" + std::to_string(i);
  return ".model w\n.inputs" + inputs + "\n.outputs y\n.names" + inputs + " y\n" +
         std::string(static_cast<std::size_t>(n), value) + " " + output + "\n.end\n";
}

// What one parse of `text` built; the parse writes its trace into `log`.
std::unique_ptr<b_automaton> parse(const std::string& text, std::ostream& log) {
  std::istringstream in(text);
  std::ostringstream echo;
  blifFlexLexer lexer(&in, &echo);
  class_blif_parser parser;
  parser.lexer = &lexer;
  parser.file_name = "w.blif";
  lex_blif_newline_mode = 0;
  parser.parse(log, 1);
  std::unique_ptr<b_automaton> a(parser.automaton);
  parser.automaton = nullptr;
  return a;
}

void wide_table(benchmark::State& state, char value, char output, bool write) {
  const std::string text = table(static_cast<int>(state.range(0)), value, output);
  const std::string empty = ".model e\n.end\n";
  for (auto _ : state) {
    std::ostringstream log, trace, out;
    std::unique_ptr<b_automaton> a = parse(text, log);
    std::unique_ptr<b_automaton> b = parse(empty, log);
    if (!a || !b) {
      state.SkipWithError("parse failed");
      return;
    }
    std::unique_ptr<b_automaton> merged;
    if (!merge(*a, "w.blif", *b, "e.blif", &trace, merged).ok()) {
      state.SkipWithError("merge refused");
      return;
    }
    if (write) merged->BLIF_put(out, 2, "w_e");
    benchmark::DoNotOptimize(out.str().size());
  }
}

void and_table(benchmark::State& state) {
  wide_table(state, '1', '1', true);
}
void or_table(benchmark::State& state) {
  wide_table(state, '0', '0', false);
}

}  // namespace

BENCHMARK(and_table)->Arg(2500)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(or_table)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
