// One BLIF model as a reader found it, before its automaton is built: plain
// lists that the grammar's actions and any other reader fill alike. Lines
// are 1-based lines of `file`, 0 when the reader does not know them.
#pragma once

#include <string>
#include <vector>

#include "blif/table_rows.h"

// ".latch input output initial".
struct blif_latch {
  std::string input;      // the signal loaded at the next clock
  std::string output;     // the state variable
  int initial_value = 0;  // 0 or 1
  long line = 0;
};

// ".names" with its rows: the names are the table's inputs, then its
// output; each row holds 0, 1 or 2 (for "-") per name, the output's last.
struct blif_table {
  std::vector<std::string> names;
  table_rows rows;
  long line = 0;
};

struct blif_model {
  std::string name;  // given by ".model"
  std::string file;  // the file it was read from, named by refusals
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  std::vector<blif_latch> latches;  // in file order
  std::vector<blif_table> tables;   // in file order
};
