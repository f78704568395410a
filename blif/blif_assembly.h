// Assembly of one automaton from a BLIF model record (blif/blif_model.h):
// the checks of its signals, its locals, its declaration with one variable
// per name, one transition per latch, the initial state, and one definition
// per table. Refusals come back as diagnostics naming the file and the
// signal; nothing is printed.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automaton/b_automaton.h"
#include "blif/blif_model.h"
#include "expr/bdd_expression.h"
#include "support/diagnostic.h"

// Builds the automaton of `model` into `automaton`. Its variables are, in
// this order: the latch outputs, the inputs and the outputs (each name once
// per list), then the locals: the names of the tables that are none of
// those, in order of first occurrence, then the latch inputs named nowhere
// else. Its assertion is the constant one, its invariant the constant zero.
tessaro::outcome assemble_automaton(const blif_model& model,
                                    std::unique_ptr<b_automaton>& automaton);
// The same for a model whose drivers a reader has checked already (the
// general reader's check_flat_model refuses what check_model_signals does).
tessaro::outcome assemble_checked_automaton(const blif_model& model,
                                            std::unique_ptr<b_automaton>& automaton);

// Refuses a model in which one signal would have two drivers: an input that
// is a latch output or defined by a table, two latches or two tables of one
// output, a latch output defined by a table.
tessaro::outcome check_model_signals(const blif_model& model);

// Rooms that enter_table reuses from one table to the next.
struct table_room {
  std::vector<bdd> column;                     // the variable of each name
  std::vector<std::pair<long, bdd>> literals;  // (index, literal) of a row
  std::vector<long> support;                   // of a table of one row
};

// Enters the equation of `table` (output = the table's function) into
// `wood`, whose manager has a variable for each of its names; ids[i] is the
// manager id of table.names[i]. Refuses a row longer than its names, with
// the fixed text "error in blif definition about y variable", a table that
// mixes rows of output 1 and of output 0, and a table without names.
tessaro::outcome enter_table(const blif_table& table, const std::string& file,
                             Bddexpressionwood* wood, const int* ids, table_room& room);
