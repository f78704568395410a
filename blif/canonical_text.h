// A flat model with encoded names written in exactly the BLIF subset the
// core's scanner and parser read: `.model`, one `.inputs` and one
// `.outputs` line when the lists are not empty, then the latches and
// tables in the model's order, then `.end`. Rows are the input values, a
// blank and the output value; a table without rows (the constant 0) is
// written with one OFF row of don't-cares. For a file the subset reads,
// the parser makes the same reductions on this text as on the file.
#pragma once

#include <string>

#include "blif/flat_model.h"
#include "support/diagnostic.h"

namespace tessaro {

// Writes `model` into `out`; refuses a name that is not an identifier of
// the subset (the model must be encoded first, see name_encoding.h).
outcome write_canonical_text(const flat_model& model, std::string& out);

}  // namespace tessaro
