// The models of a general BLIF file as the file writes them, before
// flattening: interface lists, latches, tables and cells (`.subckt` and
// `.gate` lines with the `.cname`, `.attr` and `.param` lines that follow
// them), in file order. Names are views into the text, which must outlive
// the result.
//
// What the reader takes and what it refuses:
// - `.model` with any name; a file whose first statement comes before any
//   `.model` holds one model named after the file. `.end` may be missing.
//   The first model is the top; the others serve `.subckt`.
// - `.inputs`, `.outputs` (and `.clock`, which names nothing the automaton
//   needs) any number of times, anywhere in a model. Lines of names right
//   after them continue their list, as the subset the core reads allows.
// - `.names` with its rows: each row is the input values ('0', '1', '-',
//   one per input, in one or more words) and the output value ('0' or
//   '1'). Rows of one table share their output value.
// - `.latch in out [type control] [init]`: the type is fe, re, ah, al or
//   as; the control is ignored (every latch loads at the one clock); init
//   is 0, 1, 2 or 3, and 2, 3 or a missing init start at 0.
// - `.subckt model formal=actual ...` and `.gate cell formal=actual ...`.
// - `.conn a b`: a buffer from a to b.
// - `.exdc` (skipped to the model's `.end`, with a warning), `.start_kiss`
//   to `.end_kiss` (skipped, with a warning), `.blackbox`.
// - Timing and attribute directives, ignored: `.area`, `.delay`,
//   `.wire_load_slope`, `.wire`, `.input_arrival`, `.default_input_arrival`,
//   `.output_required`, `.default_output_required`, `.input_drive`,
//   `.default_input_drive`, `.output_load`, `.default_output_load`,
//   `.max_input_load`, `.default_max_input_load`, `.clock_event`, `.cycle`,
//   `.latch_order`, `.code`, `.cname`, `.attr`, `.param`.
// - Any other directive is ignored with one warning per directive name.
// - Refused: `.mlatch`, `.search`, the BLIF-MV directives `.mv`, `.table`,
//   `.reset`, a model defined twice, and every malformed statement.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/diagnostic.h"

namespace tessaro {

struct def_binding {
  std::string_view key;    // formal port, or attribute / parameter name
  std::string_view value;  // actual signal, or attribute / parameter value
};

struct def_latch {
  std::string_view input, output;
  int init = 0;          // 0 or 1
  bool unknown = false;  // written as 2 or 3, or not written: starts at 0
  long line = 0;
};

struct def_table {
  std::vector<std::string_view> names;  // inputs, then the output
  std::vector<std::string> rows;        // input values, then the output value
  long line = 0;
  long off_line = 0;  // line of its first row of output 0, or 0
  long on_line = 0;   // line of its first row of output 1, or 0
};

struct def_cell {
  std::string_view type;  // model name or Yosys cell type
  bool gate = false;      // written as `.gate`
  std::vector<def_binding> bindings;
  std::vector<def_binding> params;  // `.attr` and `.param` lines after it
  std::string_view label;           // `.cname` after it, or empty
  long line = 0;
};

enum class def_kind { latch, table, cell };

struct def_statement {
  def_kind kind;
  std::size_t index;
};

struct def_model {
  std::string name;
  long line = 0;
  bool blackbox = false;
  std::vector<std::string_view> inputs, outputs;
  std::vector<def_latch> latches;
  std::vector<def_table> tables;
  std::vector<def_cell> cells;
  std::vector<def_statement> statements;
};

struct def_file {
  std::string file;  // for messages
  std::vector<def_model> models;
};

// Reads every model of `text` into `out`; warnings (unknown directives,
// skipped `.exdc` and `.start_kiss` parts) are appended to `warnings`.
// Refuses at the first statement it cannot take.
outcome read_definitions(std::string_view text, const std::string& file, def_file& out,
                         std::vector<diagnostic>& warnings);

// The file name without its folders and its `.blif`.
std::string file_base_name(const std::string& file);

// A warning about `file` at `line`: a diagnostic of status 0 whose text
// starts with "warning: ".
diagnostic warning(const std::string& file, long line, std::string signal, std::string text);

}  // namespace tessaro
