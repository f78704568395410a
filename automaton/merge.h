// Merge of two automata wired by signal names: every input of one named
// like an output of the other is driven by it.
#pragma once

#include "automaton/b_automaton.h"

// Lists the connections on standard output and returns the composition of a
// (instance "inst0") and b ("inst1"); null when either is null.
b_automaton* merge(b_automaton* a, b_automaton* b);
