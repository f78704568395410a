// Composition of several automata into one: the plan (which composed
// variable every signal becomes, automaton/composition_plan.h), carried out
// by the builder (automaton/composition_build.h), with the trace between
// its steps (automaton/composition_trace.h).
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "automaton/b_automaton.h"
#include "automaton/composition_plan.h"

// The names of `part` for a plan: its four lists, and which of its outputs
// its own equations read.
part_names part_names_of(const b_automaton& part, std::string instance, std::string file);

// Builds the automaton `plan` describes; parts[p] is the automaton of plan
// part p. The trace goes to `trace`, or nowhere when it is null. The parts
// are only read. The plan must have been accepted by plan_composition.
std::unique_ptr<b_automaton> compose(const composition_plan& plan,
                                     const std::vector<const b_automaton*>& parts,
                                     std::ostream* trace);
