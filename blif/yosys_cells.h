// Yosys's flip-flop cells, which its `write_blif` emits as `.subckt` (or,
// with -gates, `.gate`) lines of models the file does not define, read as
// latches with the logic of their enable and reset inputs.
//
// Cells read:
//   $_FF_, $_DFF_[PN]_                         D Q (C)
//   $_DFFE_[PN][PN]_                           + E (enable polarity)
//   $_SDFF_[PN][PN][01]_                       + R, synchronous reset to 0/1
//   $_SDFFE_[PN][PN][01][PN]_                  + R and E, the reset first
//   $_SDFFCE_[PN][PN][01][PN]_                 + R and E, the enable first
//   $_DFF_[PN][PN][01]_, $_DFFE_[PN][PN][01][PN]_  asynchronous reset
//   $_DFFSR_[PN][PN][PN]_, $_DFFSRE_[PN][PN][PN][PN]_  asynchronous set and reset
//   $ff, $dff, $dffe, $sdff, $sdffe, $sdffce, $adff, $adffe of any WIDTH,
//   with ports D[i], Q[i] (or D, Q for one bit) and the parameters
//   EN_POLARITY, SRST_POLARITY, SRST_VALUE, ARST_POLARITY, ARST_VALUE.
// Every cell loads at the one clock of the automaton; the clock port and
// its polarity are not read. The initial value comes from an `init` (or
// `INIT`) attribute or parameter, bit i being the i-th character from the
// right; without one, or for x and z bits, the latch starts at 0.
//
// The expansion, for the output bit q with data input d:
//   - without enable or reset: the latch d -> q;
//   - otherwise the latch n -> q with a table n = f(controls, d, q), where
//     n is the first of `q$next`, `q$next$2`, `q$next$3`, ... that no
//     signal of the cell's model uses;
//   - with an asynchronous reset or set (read as Yosys's async2sync reads
//     it): the latch n -> r, where r is the first free name of `q$reg`,
//     `q$reg$2`, ..., the table n = f(controls, d, r) (the forced value
//     while a reset is active), and the table q = the forced value while a
//     reset or set is active, else r.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "blif/flat_model.h"
#include "blif/general_models.h"
#include "support/diagnostic.h"

namespace tessaro {

// A reset or set: its port, the level at which it acts, and the value it
// forces (bits as Yosys writes them, the last character being bit 0).
struct yosys_force {
  std::string port;
  bool active_high = true;
  std::string value;
};

struct yosys_flip_flop {
  std::string type;
  bool coarse = false;      // ports D[i], Q[i] for a width above one
  std::string enable_port;  // empty without enable
  bool enable_high = true;
  std::vector<yosys_force> sync;   // in priority order
  bool sync_over_enable = true;    // a synchronous reset acts even when disabled
  std::vector<yosys_force> async;  // in priority order
  long width = 1;
};

enum class yosys_cell { flip_flop, unsupported, unknown };

// What `type` is: a flip-flop filled into `ff`; a Yosys cell this reader
// cannot read, with the reason in `why`; or no Yosys cell (`unknown`).
yosys_cell yosys_cell_kind(std::string_view type, const std::vector<def_binding>& params,
                           yosys_flip_flop& ff, std::string& why);

// The latches and tables of one cell, with the names of its model.
struct expanded_cell {
  flat_model part;         // latches, tables and their order only
  long unknown_inits = 0;  // bits without an init value
  long asynchronous = 0;   // bits read through an asynchronous reset or set
};

// Expands `cell` (a flip-flop of kind `ff`); `fresh(stem)` gives the first
// name of the stem's series that the model does not use, and reserves it.
outcome expand_flip_flop(const std::string& file, const def_cell& cell, const yosys_flip_flop& ff,
                         const std::function<std::string(const std::string&)>& fresh,
                         expanded_cell& out);

}  // namespace tessaro
