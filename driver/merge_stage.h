// Last stage of a run: merge the two automata read and write the result.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "automaton/b_automaton.h"

// Merges `first` (instance 0) with `second` (instance 1) and writes the
// result into `out` as the model name1_name2, every cover by method 2;
// returns the merged automaton.
std::unique_ptr<b_automaton> merge_and_write(b_automaton* first, b_automaton* second,
                                             std::ostream& out, const std::string& name1,
                                             const std::string& name2);
