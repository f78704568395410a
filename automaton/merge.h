// Merge of two automata wired by signal names: every input of one named
// like an output of the other is driven by it. The first automaton is the
// part "inst0", the second "inst1". Nothing here prints but the two
// functions that take a stream.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "automaton/b_automaton.h"
#include "automaton/composition_plan.h"
#include "support/diagnostic.h"

// The connectors of the merge, in this order: one per input of a named like
// an output of b (the first such output), then one per input of b named
// like an output of a.
std::vector<b_automaton_connector> merge_connectors(const b_automaton& a, const b_automaton& b);

// "Connections list:", then the connectors in the list layout "(c1, c2)"
// (each connector ends its own line), then a line end.
void print_connections(std::ostream& out, const std::vector<b_automaton_connector>& connectors);

// The two parts of the merge for a plan: a as "inst0", read from file_a,
// and b as "inst1", read from file_b.
std::vector<part_names> merge_parts(const b_automaton& a, const std::string& file_a,
                                    const b_automaton& b, const std::string& file_b);

// Plans the merge of a and b (merge_connectors, merge_parts) into `plan`.
tessaro::outcome plan_merge(const b_automaton& a, const std::string& file_a, const b_automaton& b,
                            const std::string& file_b, composition_plan& plan);

// Plans and builds the merge of a and b into `merged`, with the
// composition's trace into `trace` (none when null); prints nothing else.
tessaro::outcome merge(const b_automaton& a, const std::string& file_a, const b_automaton& b,
                       const std::string& file_b, std::ostream* trace,
                       std::unique_ptr<b_automaton>& merged);
