// Last stage of a run: merge the two automata read and write the result.
#pragma once

#include <ostream>
#include <string>

#include "automaton/b_automaton.h"
#include "support/diagnostic.h"

// Merges `first` (instance 0, read from file1) with `second` (instance 1,
// read from file2): lists the connections on standard output, writes the
// composition's trace on standard error, and writes the result into `out`
// as the model `model_name`, every cover by method 2. Refuses, before any
// trace, a merge whose signals clash; `out` then stays empty.
tessaro::outcome merge_and_write(const b_automaton& first, const std::string& file1,
                                 const b_automaton& second, const std::string& file2,
                                 std::ostream& out, const std::string& model_name);
