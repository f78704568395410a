// Reader of general BLIF, as SIS, Berkeley ABC, Yosys and the benchmark
// suites write it, into one flat model with the file's own names. It reads
// the models of the file (general_models.h), flattens the top one with its
// `.subckt` instances and Yosys flip-flop cells (general_flatten.h,
// yosys_cells.h) and checks the drivers (flat_model_check.h). A refusal is
// returned as a diagnostic naming the file, the line and the signal;
// warnings are appended to a list for the caller to print. The work is
// linear in the size of the file (and of the flattened model).
//
// Warnings (status 0, text starting with "warning: ", in this order):
//   - one per unknown directive, at its first line, with its count;
//   - one per skipped `.exdc` or `.start_kiss` part;
//   - "N latch initial values are unknown and read as 0: A latches of
//     value 2, 3 or none, B Yosys flip-flops without init", at the first;
//   - "N Yosys flip-flops with an asynchronous reset or set are read as
//     clocked ones whose output is forced while it is active";
//   - "signal x is used but never driven and read as undriven", or "N
//     signals are used but never driven and read as undriven: a, b, c, d, e
//     and K more", at the first use;
//   - "undriven Yosys constants read as their values: $true = 1, ...".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "blif/flat_model.h"
#include "blif/general_flatten.h"
#include "support/diagnostic.h"

namespace tessaro {

// Reads the BLIF text `text`; `file` names it in messages.
outcome read_general_blif(std::string_view text, const std::string& file, flat_model& out,
                          std::vector<diagnostic>& warnings,
                          const flatten_limits& limits = flatten_limits());

// Reads the file at `path` (named so in messages) the same way.
outcome read_general_blif_file(const std::string& path, flat_model& out,
                               std::vector<diagnostic>& warnings,
                               const flatten_limits& limits = flatten_limits());

// The whole file at `path` into `text`; a diagnostic when it cannot be
// opened or read.
outcome read_whole_file(const std::string& path, std::string& text);

}  // namespace tessaro
