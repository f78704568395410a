// One flat sequential model as the general BLIF reader hands it on: the
// interface, the latches and the tables of the top model with every
// `.subckt` flattened and every Yosys flip-flop cell turned into latches,
// under the names the file gives them (or hierarchical names for the
// signals inside instances). Nothing here depends on the subset parser.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tessaro {

struct flat_latch {
  std::string input;   // the signal the latch loads at each clock
  std::string output;  // the state signal
  int init = 0;        // 0 or 1
  long line = 0;       // line of the statement it comes from
};

// A cover: `names` are the inputs, then the output. Each row holds one
// character per input ('0', '1' or '-') followed by the output value ('0'
// or '1'); all rows of a table have the same output value. A table without
// rows is the constant 0.
struct flat_table {
  std::vector<std::string> names;
  std::vector<std::string> rows;
  long line = 0;

  const std::string& output() const { return names.back(); }
  // True when the rows list the OFF-set (output value 0).
  bool off_set() const { return !rows.empty() && rows.front().back() == '0'; }
};

// Which statement comes next in file order: the index-th latch or table.
struct flat_item {
  bool latch = false;
  std::size_t index = 0;
};

struct flat_model {
  std::string file;  // the file it was read from, for messages
  std::string name;  // the model name as written after `.model`
  long line = 0;     // line of its `.model`
  // Interface lists in file order; a name listed twice stays listed twice.
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  std::vector<flat_latch> latches;
  std::vector<flat_table> tables;
  // Latches and tables interleaved as the file (or the flattening) gives them.
  std::vector<flat_item> order;

  void add_latch(flat_latch l) {
    order.push_back({true, latches.size()});
    latches.push_back(std::move(l));
  }
  void add_table(flat_table t) {
    order.push_back({false, tables.size()});
    tables.push_back(std::move(t));
  }
};

}  // namespace tessaro
