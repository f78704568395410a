// Flattening of the models of one file into the flat record of its top
// model (the first). A `.subckt` of a model of the file puts that model's
// latches and tables in place of the `.subckt` line: a port bound to an
// actual signal takes that signal's name; every other signal of the
// instance takes the hierarchical name `label/name`, where the label is the
// instance's `.cname` when one follows the `.subckt` line, else `model@k`
// for the k-th `.subckt` of that model in its parent (counted from 1).
// Instances nest: `alu@1/add@2/carry`. A `.subckt` of a model the file does
// not define is read as a Yosys flip-flop cell (yosys_cells.h) or refused.
//
// Refused: a model that instantiates itself (directly or not), a port the
// model does not have or that is bound twice, a black box (`.blackbox`)
// instantiated, a hierarchical name that meets another signal's name, and
// a flattened model of more than `max_statements` latches and tables or
// whose names take more than `max_name_bytes` bytes.
#pragma once

#include <cstddef>

#include "blif/flat_model.h"
#include "blif/general_models.h"
#include "support/diagnostic.h"

namespace tessaro {

struct flatten_limits {
  std::size_t max_statements = 10000000;  // latches and tables
  std::size_t max_name_bytes = 1u << 30;  // bytes of all names written, counted with repeats
};

// What the flattening read that the caller reports in its warnings.
struct flatten_counts {
  long unknown_latch_inits = 0;  // `.latch` with 2, 3 or no initial value
  long unknown_cell_inits = 0;   // Yosys flip-flop bits without an init
  long first_unknown_line = 0;
  long asynchronous = 0;  // Yosys flip-flop bits with an asynchronous reset or set
  long first_asynchronous_line = 0;
};

// The rows of the top model's tables are moved into `out`.
outcome flatten_top(def_file& file, flat_model& out, flatten_counts& counts,
                    const flatten_limits& limits = flatten_limits());

}  // namespace tessaro
