// The general reader's flat record (blif/flat_model.h) as the model record
// the assembly builds automata from (blif/blif_model.h): the same names,
// interface lists, latches and tables, each row as the values 0, 1 and 2
// (for '-') of its inputs followed by its output value. The assembly reads
// latches and tables apart, so their interleaving is not carried over (the
// variable order it makes does not depend on it).
#pragma once

#include "blif/blif_model.h"
#include "blif/flat_model.h"

namespace tessaro {

blif_model to_blif_model(const flat_model& model);
// The same, taking the names of `model` instead of copying them.
blif_model to_blif_model(flat_model&& model);

}  // namespace tessaro
