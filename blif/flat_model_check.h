// Checks of a flattened model before anything is built from it: every
// signal has at most one driver (an input, a latch or a table), and the
// signals that nothing drives are reported once and left undriven, except
// Yosys's constant signals $false, $true and $undef, which take the values
// 0, 1 and 0 when the file does not define them (`write_blif -impltf`).
#pragma once

#include <vector>

#include "blif/flat_model.h"
#include "support/diagnostic.h"

namespace tessaro {

// Refuses a signal with two drivers; appends the warnings and the tables
// of the undriven Yosys constants.
outcome check_flat_model(flat_model& model, std::vector<diagnostic>& warnings);

}  // namespace tessaro
