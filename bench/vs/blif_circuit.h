// Combinational circuits for the engine comparison: a small reader of
// .inputs/.outputs/.names BLIF, independent of the product's reader, that
// also fixes the build schedule of the gates and the variable order of the
// inputs (first reached by a depth-first walk from the outputs that goes
// deepest first).
#pragma once

#include <string>
#include <vector>

namespace benchvs {

// One signal: a primary input or a gate given by its cover.
struct Signal {
  std::string name;
  bool is_input = false;
  std::vector<int> fanins;         // signal numbers
  std::vector<std::string> cubes;  // one character per fanin: '0', '1' or '-'
  bool onset = true;               // false: the cubes list where the gate is 0
};

struct Circuit {
  std::string name;
  std::vector<Signal> signals;
  std::vector<int> inputs;    // signal numbers in declaration order
  std::vector<int> outputs;   // signal numbers in declaration order
  std::vector<int> var_of;    // per signal: variable index of an input, -1 for a gate
  std::vector<int> schedule;  // gates needed by the outputs, fanins before their gates
  std::vector<int> fanouts;   // per signal: uses as a fanin of a scheduled gate
};

// Reads BLIF text. On failure returns false with a one-line reason in *error.
bool parse_circuit(const std::string& text, Circuit* out, std::string* error);
// Same, from a file.
bool read_circuit(const std::string& path, Circuit* out, std::string* error);

}  // namespace benchvs
