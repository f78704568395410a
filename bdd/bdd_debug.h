// Invariant checks and evaluation helpers of the BDD engine, for tests and
// debugging; nothing in the engine itself calls them.
#pragma once

#include "bdd/bdd.h"

// Checks an engine instance between operations: table and node counts, chain
// placement, uniqueness, regular then-edges, children present and below their
// parents, no temporary count, mark or parent count left, the variable maps,
// the associations' last indexes, the cache slots and the block tree. Writes each fault on stderr;
// returns the number found.
int bdd_debug_check(bdd_manager m);

// Value of f under an assignment given per variable id (value_of_id[id] != 0 is true).
int bdd_debug_eval(bdd_manager m, bdd f, const unsigned char* value_of_id);

// External count of f's node (255 for a permanent node); -1 for null.
int bdd_debug_refs(bdd f);
