// Public interface of the BDD engine.
//
// Reduced ordered binary decision diagrams with complement edges. A `bdd`
// is a 32-bit handle: the offset of an 8-byte-aligned node record inside the
// memory manager's region, with bit 0 as the complement bit; 0 (null) means
// "no result". Equal functions of one engine instance have equal handles.
//
// Reference contract: every handle returned by an operation (except the
// constants and variables, which are permanent) carries one external
// reference owned by the caller and given back exactly once with bdd_free.
// Arguments must still hold at least one external reference. A null
// argument gives a null result (0 for integer and floating results).
//
// Warnings go to stderr as "BDD library: warning: %s\n"; fatal errors as
// "BDD library: error: %s\n" followed by exit status 1.
#pragma once

#include <cstdint>
#include <cstdio>

typedef std::uint32_t bdd;
typedef struct bdd_manager_* bdd_manager;
typedef struct var_block_* var_block;

// Caller-supplied hooks.
typedef void (*bdd_closure_fn)(bdd_manager, void* arg);
typedef void (*bdd_reorder_fn)(bdd_manager);
typedef void (*bdd_terminal_free_fn)(bdd_manager, long v1, long v2, void* arg);
// Cache hooks for user tags: the entry is the four 32-bit words of a cache
// entry, held in the cache itself and valid only during the call.
typedef int (*bdd_cache_gc_fn)(bdd_manager, void* entry);
typedef void (*bdd_cache_purge_fn)(bdd_manager, void* entry);
typedef void (*bdd_cache_return_fn)(bdd_manager, void* entry);
typedef int (*bdd_cache_flush_fn)(bdd_manager, void* entry, void* arg);
// Naming hooks of the text dump; a null answer falls back to the default text.
typedef const char* (*bdd_var_name_fn)(bdd_manager, bdd var, void* arg);
typedef const char* (*bdd_terminal_name_fn)(bdd_manager, long v1, long v2, void* arg);

// ---- Engine instance, variables, nodes ----
bdd_manager bdd_init();
void bdd_quit(bdd_manager m);
bdd bdd_one(bdd_manager m);
bdd bdd_zero(bdd_manager m);
bdd bdd_new_var_first(bdd_manager m);
bdd bdd_new_var_last(bdd_manager m);
bdd bdd_new_var_before(bdd_manager m, bdd var);
bdd bdd_new_var_after(bdd_manager m, bdd var);
// Variable at position `index` of the order, or null when out of range.
bdd bdd_var_with_index(bdd_manager m, long index);
// Variable with creation number `id` (1 up), or null when out of range.
bdd bdd_var_with_id(bdd_manager m, long id);
long bdd_vars(bdd_manager m);
// Grows each time existing variables move to other indexes (a variable
// inserted before the last, an exchange of neighbours): a set of indexes
// computed for a function holds as long as this count stays the same.
long bdd_order_changes(bdd_manager m);
// Number of nodes in the unique tables.
long bdd_total_size(bdd_manager m);
// Node and cache look-ups since the instance started: a measure of the work
// done that does not depend on the machine, for callers that bound theirs.
long bdd_work_count(bdd_manager m);
const char* bdd_version();
// Canonical node (id, t, e); takes one temporary reference of t and of e and
// returns the result with one temporary reference.
bdd bdd_find(bdd_manager m, int id, bdd t, bdd e);
// Terminal for the value pair (v1, v2), with one temporary reference.
bdd bdd_find_terminal(bdd_manager m, std::int32_t v1, std::int32_t v2);
// Turns the handle's temporary reference into an external one.
void bdd_make_external(bdd_manager m, bdd f);
var_block bdd_root_block(bdd_manager m);

// ---- Connectives and single-handle queries ----
bdd bdd_ite(bdd_manager m, bdd f, bdd g, bdd h);
bdd bdd_and(bdd_manager m, bdd f, bdd g);
bdd bdd_or(bdd_manager m, bdd f, bdd g);
bdd bdd_xor(bdd_manager m, bdd f, bdd g);
bdd bdd_nand(bdd_manager m, bdd f, bdd g);
bdd bdd_nor(bdd_manager m, bdd f, bdd g);
bdd bdd_xnor(bdd_manager m, bdd f, bdd g);
bdd bdd_not(bdd_manager m, bdd f);
bdd bdd_identity(bdd_manager m, bdd f);
// Cofactors of f for its top variable = 1 / = 0.
bdd bdd_then(bdd_manager m, bdd f);
bdd bdd_else(bdd_manager m, bdd f);
// Positive literal of f's top variable (permanent).
bdd bdd_if(bdd_manager m, bdd f);
int bdd_if_index(bdd_manager m, bdd f);
int bdd_if_id(bdd_manager m, bdd f);

enum {
  BDD_TYPE_NONTERMINAL = 0,
  BDD_TYPE_ZERO = 1,
  BDD_TYPE_ONE = 2,
  BDD_TYPE_POSVAR = 3,
  BDD_TYPE_NEGVAR = 4,
  BDD_TYPE_OVERFLOW = 5,
  BDD_TYPE_CONSTANT = 6
};
int bdd_type(bdd_manager m, bdd f);

// Sets the cache ratio (clamped to 1..32); returns the previous one.
int bdd_cache_ratio(bdd_manager m, int ratio);
// Claims a user cache tag (4..7) for entries of n key words; -1 when none is free.
int bdd_cache_functions(bdd_manager m, int n, bdd_cache_gc_fn gc, bdd_cache_purge_fn purge,
                        bdd_cache_return_fn ret, bdd_cache_flush_fn flush);
void bdd_free_cache_tag(bdd_manager m, int tag);
// Cache access by tag: three keys and one result, two and two, one and three.
// A lookup returns 1 on a hit and delivers the stored words.
int bdd_lookup_in_cache31(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                          std::uint32_t k3, std::uint32_t* r);
int bdd_lookup_in_cache22(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                          std::uint32_t* r1, std::uint32_t* r2);
int bdd_lookup_in_cache13(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t* r1,
                          std::uint32_t* r2, std::uint32_t* r3);
void bdd_insert_in_cache31(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                           std::uint32_t k3, std::uint32_t r);
void bdd_insert_in_cache22(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t k2,
                           std::uint32_t r1, std::uint32_t r2);
void bdd_insert_in_cache13(bdd_manager m, int tag, std::uint32_t k1, std::uint32_t r1,
                           std::uint32_t r2, std::uint32_t r3);

// ---- References, collection, limits, reports ----
// Gives back one external reference; returns the remaining count (255: permanent).
int bdd_free(bdd_manager m, bdd f);
int bdd_unfree(bdd_manager m, bdd f);
// False if any of the n handles is null; fatal if one has no external reference.
int bdd_check_arguments(int n, ...);
int bdd_check_array(const bdd* null_terminated);
// A full collection of the nodes no reference reaches.
void bdd_gc(bdd_manager m);
// Sets the node count at which operations are abandoned (0 or less: none);
// returns the previous limit.
long bdd_node_limit(bdd_manager m, long limit);
// Returns the overflow flag and clears it.
int bdd_overflow(bdd_manager m);
// Called as fn(m, arg) after an operation is abandoned for the node limit.
void bdd_overflow_closure(bdd_manager m, bdd_closure_fn fn, void* arg);
// While fn is set, the next check abandons the running operation, then calls fn(m, arg).
void bdd_abort_closure(bdd_manager m, bdd_closure_fn fn, void* arg);
// Rebuilds the external counts: 0 everywhere, then the permanent nodes and the
// associations' references.
void bdd_clear_refs(bdd_manager m);
void bdd_stats(bdd_manager m, std::FILE* out);
void bdd_warning(const char* text);
[[noreturn]] void bdd_fatal(const char* text);

// ---- Variable associations (used by bdd_substitute and bdd_satisfy_support) ----
// `pairs` lists variable, function, variable, function, ... ending with a null
// variable; a null function keeps the variable. A numbered association holds a
// reference on each function; the temporary one (number -1) holds none.
int bdd_new_assoc(bdd_manager m, const bdd* pairs);
void bdd_free_assoc(bdd_manager m, int assoc);
// Makes an association current (-1 or an unknown number: the temporary one);
// returns the previous current number.
int bdd_assoc(bdd_manager m, int assoc);
// Replaces the contents of the temporary association.
void bdd_temp_assoc(bdd_manager m, const bdd* pairs);

// ---- Derived operations ----
// One cube (product of literals) implying f, then-branches first.
bdd bdd_satisfy(bdd_manager m, bdd f);
// 1 if f depends on the variable of var, else 0.
int bdd_depends_on(bdd_manager m, bdd f, bdd var);
// A function equal to f wherever c holds, usually smaller; zero when c is zero.
bdd bdd_reduce(bdd_manager m, bdd f, bdd c);
// Generalised cofactor of f by c.
bdd bdd_cofactor(bdd_manager m, bdd f, bdd c);
// f with the variable var replaced by g (a constant g restricts f).
bdd bdd_compose(bdd_manager m, bdd f, bdd var, bdd g);
// f with every variable replaced by its entry in the current association.
bdd bdd_substitute(bdd_manager m, bdd f);
// zero when f and g have no common satisfying assignment, else a non-zero
// function implying both.
bdd bdd_intersects(bdd_manager m, bdd f, bdd g);
// bdd_intersects(f, not g): zero exactly when f implies g.
bdd bdd_implies(bdd_manager m, bdd f, bdd g);
// Like bdd_satisfy, naming every variable of the current association too
// (negatively when f leaves it free).
bdd bdd_satisfy_support(bdd_manager m, bdd f);
// Fraction of all assignments satisfying f.
double bdd_satisfying_fraction(bdd_manager m, bdd f);
// Fills `out` (room for bdd_vars + 1 handles) with the positive literals f
// depends on, in depth-first then-first order, then a null entry.
void bdd_support(bdd_manager m, bdd f, bdd* out);
// Writes the indexes of the variables f depends on, ascending, to `out`
// (room for bdd_vars entries); returns their number.
int bdd_support_indexes(bdd_manager m, bdd f, std::uint32_t* out);
// Truth table of f over the variables of the `count` (at most 6) indexes:
// bit a of *table is f's value where the variable indexes[p] takes bit p
// of a. Returns 1, or 0 (table unset) when f reaches a variable outside the
// list or a constant other than zero and one.
int bdd_small_truth_table(bdd_manager m, bdd f, const long* indexes, int count,
                          std::uint64_t* table);
// Per-node counters in the temps byte of inner nodes, for callers' own walks;
// every counter must be cleared before the next operation. The last two return
// the type of f.
int bdd_marks_cpt(bdd_manager m, bdd f);
int bdd_marks_incrementation(bdd_manager m, bdd f);
int bdd_clear_mark(bdd_manager m, bdd f);
// Nested if / else if / endif text of f; nodes met twice are numbered and
// later written as "subformula N".
void bdd_print_bdd(bdd_manager m, bdd f, bdd_var_name_fn var_name,
                   bdd_terminal_name_fn terminal_name, void* arg, std::FILE* out);

// ---- Variable reordering ----
// Handles keep their functions and variables their ids across a reordering;
// indexes follow the new order. Only the children of reorderable blocks move,
// each keeping its inner order.
//
// Sets the method used by bdd_reorder and by the check when collections leave
// the live size high (null: reordering off). Selecting bdd_reorder_hybrid
// starts its growth factor at 2.0.
void bdd_dynamic_reordering(bdd_manager m, bdd_reorder_fn method);
// Collects, then reorders once with the current method (none: only collects).
void bdd_reorder(bdd_manager m);
// Sets whether the children of block may be permuted (the root: 1, variables: 0).
void bdd_var_block_reorderable(bdd_manager m, var_block block, int reorderable);
// The methods. Each moves blocks only while the node count stays within a
// growth bound, and never ends with more nodes than it started with.
void bdd_reorder_sift(bdd_manager m);
void bdd_reorder_stable_window3(bdd_manager m);
// Sifting whose growth factor adapts to what the previous run saved.
void bdd_reorder_hybrid(bdd_manager m);
