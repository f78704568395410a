// Internals of the BDD engine: the node, table, block, association, cache
// and manager records, the handle helpers and reference rules, and the
// internal entry points shared by the files of bdd/.
//
// Handles. A `bdd` is the 32-bit offset of an 8-byte-aligned node record from
// mem_region_base; bit 0 is the complement bit, bits 1 and 2 are zero, 0 is
// null. Only else-edges and handles carry the complement bit: the then-edge
// stored in a node is always regular, which with the unique tables makes every
// function have exactly one handle.
//
// References. Each node has an external count (refs, held by callers) and a
// temporary count (bits 0-6 of temps, held by running operations).
//   - Permanent: refs == 255. Never decremented, never collected. Variables
//     and the constants are permanent from creation.
//   - Temporary increment: nothing on a permanent node; at 126 the node becomes
//     permanent (refs 255, temps 0); else temps + 1.
//   - External increment: refs + 1 up to 254; beyond that the node becomes
//     permanent (refs 255, temps 0).
//   - Decrements do nothing on a permanent node.
//   - Step functions take handles owned by their caller (no transfer) and
//     return a result carrying one temporary reference. bdd_find consumes one
//     temporary reference of each child and returns one on the result. Public
//     operations turn the result's temporary reference into an external one
//     (bdd_make_external). Between public operations every temps byte is 0.
//   - The connective recursions (bdd_ite_rec, bdd_and_rec, bdd_xnor_rec)
//     take and give no count at all: a result waiting for its sibling sits
//     in a shadow record (bdd_shadow) on the C stack, linked from the
//     manager, and counts as a temporary reference for the collector and
//     for reordering. Their steps add the result's temporary reference.
//
// Garbage collection (bdd_gc; the check runs it from bdd_find):
//   1. Mark. Walk the node pools in address order: from each inner node
//      with a non-zero refs or temps byte and no mark yet, set the mark (bit
//      7 of temps) on it and on every node reachable from it that has none,
//      depth first with a stack of marked nodes whose children are still to
//      be seen. Then the same from the node of every shadow record (a
//      terminal there just gets the mark), and terminals with a count get
//      the mark.
//   2. Purge. Cache entries naming an unmarked node are removed (the per-tag
//      gc functions test the marks), since cached handles hold no reference.
//   3. Sweep. The terminal table first, chain by chain: unmarked terminals
//      are unlinked, the terminal free function called and their records
//      freed. Then the variable tables in one walk over the node pools in
//      address order: every chain is emptied, each marked inner node has the
//      mark cleared and goes back to the head of its chain, the others are
//      freed. (An inner node's word 1 is its then-edge, a regular handle,
//      hence even: it never looks like a free record, whose word 1 is odd.)
//      Each table, the terminal table included, that is left with fewer than
//      one node per 32 buckets and is larger than its starting size
//      (kVarTableStartIndex) shrinks one size step (bdd_table_too_empty).
//   4. The gc count goes up by one.
// The check (every 100 node lookups) collects when the node count exceeds the
// gc limit, then sets the limit to twice the live count, never lowering it
// (at least kGcLimitFloor, at most the node limit when one is set). Because
// the check runs in the middle of operations, temporary counts and shadow
// records are what keeps intermediate results alive: a step holds a temporary
// reference (a connective recursion a shadow record) on every result it has
// not yet handed to bdd_find, and its arguments are reachable from the
// caller's references; bdd_find_raw holds its result in a shadow record while
// it runs the check.
//
// Abandonment. Node-building public operations run in a protected frame
// (bdd_run_protected) holding a setjmp context. The check leaves the running
// step recursion with longjmp: code 1 abort, 2 overflow, 3 reordered. The
// frame then unlinks the shadow records of the abandoned attempt and runs
// bdd_cleanup (every temps byte to 0, collection, new gc
// limit, closure), and returns null (1, 2) or restarts the step (3). Step
// functions therefore hold nothing that needs a destructor. A check run
// outside any frame (a direct bdd_find_terminal, say) collects and sets the
// overflow flag but abandons nothing. Dynamic reordering: when a collection
// leaves more than two thirds of the old limit, a frame is running that still
// allows it and a reorder function is set, the check calls bdd_run_reorder and
// restarts the operation (code 3); an operation whose reordering saved less
// than a quarter while its own growth is large stops reordering.
//
// Reordering (bdd_reorder*.cpp) works in a frame: the cache is flushed, every
// live inner node gives one parent count (kept beside the nodes in
// parent_counts, an array that exists only for the time of the frame) to each
// child and nodes without any count are freed; the method then permutes the
// children of reorderable blocks by exchanges of adjacent variables, each of
// which rebuilds in place the upper variable's nodes that test the lower one,
// so every handle keeps its function. A node whose last count goes during an
// exchange is freed at once, with its children in turn. At the end the parent
// counts are taken back bottom-up. refs and temps are never touched, so the
// temporary references of an interrupted operation survive until its restart;
// bdd_run_reorder gives the node of each shadow record a temporary count for
// the time of the reordering.
#pragma once

#include <csetjmp>
#include <cstdint>

#include "bdd/bdd.h"
#include "bdd/mem/mem.h"

// ---- Records ----

// Node record (from the manager's own record manager of 16-byte records; the
// counts a reordering gives from parent edges live beside it, in the
// manager's parent_counts).
struct bdd_ {
  std::uint16_t id;    // decision variable; 0 for a terminal
  std::uint8_t refs;   // external count; 255 = permanent
  std::uint8_t temps;  // bits 0-6 temporary count, bit 7 collection mark
  bdd then_;           // regular child for variable = 1 (terminal: value word 1)
  bdd else_;           // child for variable = 0 (terminal: value word 2)
  std::uint32_t next;  // offset of the next node of the same chain, 0 at the end
};
static_assert(sizeof(bdd_) == 16, "node record is 16 bytes");

// Unique table of one variable id (16-byte record class).
struct var_table {
  std::uint32_t buckets;  // offset of the array of chain heads (node offsets)
  std::int32_t size_index;
  std::int32_t bucket_count;
  std::int32_t node_count;
};
static_assert(sizeof(var_table) == 16, "variable table is a 16-byte record");

// Block of adjacent variables, the unit that reordering moves (24-byte class).
struct var_block_ {
  var_block_** children;  // ordered by position
  std::int32_t num_children;
  std::int32_t reorderable;
  std::int32_t first_index;
  std::int32_t last_index;
};
static_assert(sizeof(var_block_) == 24, "block is a 24-byte record");

// Variable association: a handle per variable id, null for "keep" (24-byte class).
struct bdd_assoc_ {
  bdd* values;  // capacity + 1 entries indexed by id
  bdd_assoc_* next;
  std::int32_t number;
  std::int32_t last_index;  // largest index with a non-null entry, -1 if none
};

// Operation cache entry; the words' meaning depends on the tag.
struct cache_entry {
  std::uint32_t w[4];
};

// One cache bucket: two entries held in place, slot 0 the most recent. A
// slot's tag byte is 0 while the slot is empty, else its tag + 1; slot 1 is
// used only while slot 0 is. The tags come first so that a probe of slot 0
// reads one stretch of memory.
struct cache_bucket {
  std::uint8_t tag[2];
  std::uint8_t unused[2];
  cache_entry e[2];
};
static_assert(sizeof(cache_bucket) == 36, "cache bucket is 36 bytes");

constexpr int kCacheTags = 8;
constexpr int kCacheTagIte = 0;      // f, g, h, result
constexpr int kCacheTagTwo = 1;      // operation code, f, g, result
constexpr int kCacheTagOneData = 2;  // operation code, f, data word 1, data word 2
constexpr int kCacheTagTwoData = 3;  // operation code, f, g, data word
constexpr int kCacheFirstUserTag = 4;

// Operation codes of tag 1 and 2 entries.
constexpr std::int32_t kOpCofactor = 100;
constexpr std::int32_t kOpFraction = 200;
constexpr std::int32_t kOpReduce = 500;
constexpr std::int32_t kOpAssocBase = 30000;
constexpr std::int32_t kOpComposeBase = 100000;

// Hash of an entry's key words (before the modulo).
typedef std::int32_t (*bdd_cache_hash_fn)(const cache_entry*);
// Predicate of a cache flush, given an entry and its tag.
typedef int (*bdd_flush_pred)(bdd_manager, int tag, cache_entry* e, void* arg);
// Terminal value canonicalisation.
typedef int (*bdd_canonical_fn)(bdd_manager, std::int32_t a, std::int32_t b, void* arg);
typedef void (*bdd_transform_fn)(bdd_manager, std::int32_t a, std::int32_t b, std::int32_t* ra,
                                 std::int32_t* rb, void* arg);

constexpr int kPrimeCount = 49;
constexpr int kVarTableStartIndex = 3;  // 7 buckets
constexpr int kCacheStartIndex = 15;    // 16369 buckets
// Largest size indexes whose arrays fit one block of the memory manager.
constexpr int kVarTableMaxIndex = 45;
constexpr int kCacheMaxIndex = 44;

constexpr std::uint8_t kPermanent = 255;
constexpr std::uint8_t kMark = 0x80;
constexpr std::uint8_t kTempsMax = 126;
constexpr std::uint16_t kTerminalIndex = 0xFFFF;
constexpr long kGcLimitFloor = 131072;
constexpr int kCheckInterval = 100;
constexpr int kStartCapacity = 30;
constexpr int kMaxCapacity = 65534;
constexpr int kMaxVars = kMaxCapacity;

// Abandon codes passed through the abort context.
constexpr int kAbandonAbort = 1;
constexpr int kAbandonOverflow = 2;
constexpr int kAbandonReordered = 3;

// The engine instance (one block of the memory manager).
struct bdd_manager_ {
  // Unique tables, by id (entry 0: terminals); capacity + 1 entries.
  var_table** unique_tables;
  bdd_terminal_free_fn terminal_free;
  void* terminal_free_arg;
  long node_count;
  long gc_limit;
  long node_limit;
  long gc_count;
  long collected_count;
  long order_changes;  // moves of existing variables to other indexes
  long find_count;

  // Operation cache.
  cache_bucket* cache;
  std::int32_t cache_size_index;
  std::uint32_t cache_bucket_count;
  std::uint64_t cache_magic;
  // Changes whenever the bucket array is replaced, so that a bucket found
  // before a recursion can be used after it when this has not changed.
  std::uint32_t cache_epoch;
  int protect_depth;
  bdd_cache_hash_fn cache_rehash[kCacheTags];
  bdd_cache_gc_fn cache_gc[kCacheTags];
  bdd_cache_purge_fn cache_purge[kCacheTags];
  bdd_cache_return_fn cache_return[kCacheTags];
  bdd_cache_flush_fn cache_flush[kCacheTags];
  bool cache_tag_used[kCacheTags];
  int cache_ratio;
  long cache_entries;
  long cache_lookups;
  long cache_hits;
  long cache_insertions;
  long cache_collisions;

  int check_countdown;
  bdd one;
  bdd zero;
  int overflow;
  bdd_closure_fn overflow_fn;
  void* overflow_arg;
  bdd_transform_fn transform_fn;
  void* transform_arg;
  bdd_canonical_fn canonical_fn;
  var_block_* root_block;

  // Reordering hook: the check calls reorder_fn when the live size stays high.
  bdd_reorder_fn reorder_fn;
  void* reorder_data;  // method data, a block of the memory manager or null
  int reordering_allowed;
  long start_node_count;
  int reordering;  // 1 while the reordering frame holds the parent counts
  // Edges from parent nodes to each node (one per then- or else-edge), by
  // node offset / 16, while a reordering frame is open; null at other times.
  std::uint32_t* parent_counts;
  std::uint32_t parent_slots;  // entries of parent_counts

  int var_count;
  int var_capacity;
  bdd* var_of_id;              // capacity + 1 permanent positive literals
  std::uint16_t* index_of_id;  // capacity + 1; entry 0 = 0xFFFF
  std::uint16_t* id_of_index;  // capacity
  int current_assoc_id;        // -1 for the temporary association
  bdd_assoc_* current_assoc;
  bdd_assoc_* assoc_list;
  bdd_assoc_ temp_assoc;

  mem_rec_mgr rec[8];  // record classes of 8, 16, ..., 64 bytes
  // Node records, a manager of their own so that a collection can sweep
  // them pool by pool.
  mem_rec_mgr nodes;
  std::int32_t temp_op_code;

  // Results of the running connective recursions waiting for their sibling
  // (see bdd_shadow); null when none is.
  struct bdd_shadow* shadow;
  std::jmp_buf* abort_context;  // set while a protected operation runs
  bdd_closure_fn abort_fn;
  void* abort_arg;
};

inline mem_rec_mgr bdd_rec_mgr(bdd_manager m, int size) {
  return m->rec[(size >> 3) - 1];
}

// ---- Prime table and bucket arithmetic ----

// Bucket counts of the unique tables, the cache and the dump's hash table.
inline constexpr std::int32_t bdd_primes[kPrimeCount] = {
    1,         2,         3,          7,         13,       23,       59,       113,      241,
    503,       1019,      2039,       4091,      8179,     11587,    16369,    23143,    32749,
    46349,     65521,     92683,      131063,    185363,   262139,   330287,   416147,   524269,
    660557,    832253,    1048571,    1321109,   1664501,  2097143,  2642201,  3328979,  4194287,
    5284393,   6657919,   8388593,    10568797,  13315831, 16777199, 33554393, 67108859, 134217689,
    268435399, 536870879, 1073741789, 2147483629};

// floor(2^64 / prime) + 1 for each prime: lets bdd_mod reduce without a division.
struct bdd_magic_table {
  std::uint64_t v[kPrimeCount];
  constexpr bdd_magic_table() : v() {
    for (int i = 0; i < kPrimeCount; ++i) {
      v[i] = UINT64_MAX / static_cast<std::uint64_t>(bdd_primes[i]) + 1;
    }
  }
};
inline constexpr bdd_magic_table bdd_prime_magic{};

// |h mod count| for a signed h, as the remainder of a signed division made
// positive. `magic` is the entry of bdd_prime_magic for count (Lemire's
// fast remainder, exact for every 32-bit dividend and divisor).
inline std::uint32_t bdd_mod(std::int32_t h, std::uint32_t count, std::uint64_t magic) {
  std::uint32_t a = h < 0 ? 0u - static_cast<std::uint32_t>(h) : static_cast<std::uint32_t>(h);
  std::uint64_t low = magic * a;
  return static_cast<std::uint32_t>((static_cast<unsigned __int128>(low) * count) >> 64);
}

// Chain bucket of (then, else) in a table: |(else + 2 then) mod bucket count|.
inline std::uint32_t bdd_table_bucket(const var_table* vt, bdd t, bdd e) {
  std::int32_t h = static_cast<std::int32_t>(e + 2u * t);
  return bdd_mod(h, static_cast<std::uint32_t>(vt->bucket_count),
                 bdd_prime_magic.v[vt->size_index]);
}

// ---- Handles and nodes ----

inline bdd_* bdd_node(bdd f) {
  return reinterpret_cast<bdd_*>(mem_region_base + (f & ~7u));
}
inline bdd_* bdd_node_at(std::uint32_t offset) {
  return reinterpret_cast<bdd_*>(mem_region_base + offset);
}
inline bdd bdd_handle_of(const bdd_* n) {
  return mem_offset(n);
}
inline bdd bdd_regular(bdd f) {
  return f & ~1u;
}
inline bool bdd_is_complemented(bdd f) {
  return (f & 1u) != 0;
}
inline bool bdd_is_terminal(bdd f) {
  return bdd_node(f)->id == 0;
}
inline bool bdd_same_node(bdd f, bdd g) {
  return ((f ^ g) & ~1u) == 0;
}
inline bool bdd_is_permanent(const bdd_* n) {
  return n->refs == kPermanent;
}

// A table grows four size steps when it holds more than two nodes per
// bucket: sixteenfold while the primes double per step, up to 8179 buckets,
// fourfold from there on, where they grow by about 1.4 per step. Each growth
// walks every node of the table, so growing small tables in large strides
// keeps that walk rare. Between growths a large table holds from one half to
// two nodes per bucket: the chains stay short, and the bucket arrays, whose
// every lookup is a miss in the processor's caches, stay a fraction of the
// size of the nodes. A table shrinks one step after a collection that left
// it with fewer than one node per 32 buckets.
inline bool bdd_table_too_full(const var_table* vt) {
  return vt->node_count > 2 * vt->bucket_count;
}
inline bool bdd_table_too_empty(const var_table* vt) {
  return 32 * static_cast<std::int64_t>(vt->node_count) < vt->bucket_count &&
         vt->size_index > kVarTableStartIndex;
}
inline int bdd_table_growth_steps(const var_table*) {
  return 4;
}

inline std::uint32_t* bdd_table_heads(const var_table* vt) {
  return static_cast<std::uint32_t*>(mem_at(vt->buckets));
}

// Chain filters. The block of a table's chain heads holds after them one
// filter byte per bucket: a node (t, e) in the chain sets bit
// bdd_filter_bit(t, e) of its bucket's byte. A lookup whose bit is clear
// knows the node is not in the chain without walking it, which spares most
// new nodes a miss on a chain node. Bits are set when a node is linked and
// recomputed when all chains of a table are rebuilt (growth, collection); a
// node taken out of its chain leaves its bit set, which costs at most a walk.
inline std::uint8_t* bdd_table_filters(const var_table* vt) {
  return reinterpret_cast<std::uint8_t*>(bdd_table_heads(vt) + vt->bucket_count);
}
// Bytes of the block of a table of count buckets.
inline std::size_t bdd_table_block_bytes(std::int32_t count) {
  return static_cast<std::size_t>(count) * (sizeof(std::uint32_t) + 1);
}
// The filter bit of (t, e), independent of its bucket.
inline std::uint8_t bdd_filter_bit(bdd t, bdd e) {
  const std::uint32_t h = (t * 0x9E3779B1u ^ e) * 0x85EBCA6Bu;
  return static_cast<std::uint8_t>(1u << (h >> 29));
}
// Links node n at the head of chain b of a table and sets its filter bit.
inline void bdd_table_link(var_table* vt, std::uint32_t b, bdd_* n) {
  std::uint32_t* heads = bdd_table_heads(vt);
  n->next = heads[b];
  heads[b] = mem_offset(n);
  bdd_table_filters(vt)[b] |= bdd_filter_bit(n->then_, n->else_);
}

// Walks over every bucket of a table ask for the first node of the bucket
// this far ahead, so that the misses on chain heads overlap.
constexpr std::int32_t kWalkPrefetchDistance = 8;
__attribute__((always_inline)) inline void bdd_prefetch_head(const std::uint32_t* heads,
                                                             std::int32_t b, std::int32_t count) {
  if (b + kWalkPrefetchDistance < count) {
    std::uint32_t off = heads[b + kWalkPrefetchDistance];
    if (off != 0) __builtin_prefetch(mem_region_base + off);
  }
}

// Index of a node's variable; 0xFFFF for terminals.
inline unsigned bdd_node_index(bdd_manager m, const bdd_* n) {
  return m->index_of_id[n->id];
}
inline unsigned bdd_index_of(bdd_manager m, bdd f) {
  return m->index_of_id[bdd_node(f)->id];
}

// Cofactors of f for its node's variable, with f's complement bit applied.
inline bdd bdd_then_of(bdd f) {
  return bdd_node(f)->then_ ^ (f & 1u);
}
inline bdd bdd_else_of(bdd f) {
  return bdd_node(f)->else_ ^ (f & 1u);
}

// ---- Reference rules ----

inline void bdd_temp_inc_node(bdd_* n) {
  if (n->refs == kPermanent) return;
  if (n->temps == kTempsMax) {
    n->refs = kPermanent;
    n->temps = 0;
  } else {
    ++n->temps;
  }
}
inline void bdd_temp_inc(bdd f) {
  bdd_temp_inc_node(bdd_node(f));
}
inline void bdd_temp_dec(bdd f) {
  bdd_* n = bdd_node(f);
  if (n->refs != kPermanent) --n->temps;
}
// Top variable id of two non-terminal operands: f's when its index is below g's.
inline int bdd_top_id2(bdd_manager m, const bdd_* fn, const bdd_* gn) {
  return bdd_node_index(m, fn) < bdd_node_index(m, gn) ? fn->id : gn->id;
}
// f with one more temporary reference, as a step function returns it.
inline bdd bdd_with_temp(bdd f) {
  bdd_temp_inc(f);
  return f;
}
// Cofactors of f for variable id: the children (with f's complement bit) when
// f's node is labelled id, else f itself for both.
inline void bdd_split(bdd f, int id, bdd* f1, bdd* f0) {
  const bdd_* n = bdd_node(f);
  if (n->id == id) {
    *f1 = n->then_ ^ (f & 1u);
    *f0 = n->else_ ^ (f & 1u);
  } else {
    *f1 = f;
    *f0 = f;
  }
}
inline void bdd_ext_inc_node(bdd_* n) {
  if (n->refs <= 253) {
    ++n->refs;
  } else {
    n->refs = kPermanent;
    n->temps = 0;
  }
}

// Null gives false; a handle without external reference is fatal.
inline bool bdd_check_arg(bdd f) {
  if (f == 0) return false;
  if (bdd_node(f)->refs == 0) bdd_fatal("bdd_check_arguments: argument has zero references");
  return true;
}

// ---- Unique tables (bdd_table.cpp) ----

var_table* bdd_new_table(bdd_manager m);
void bdd_free_table(bdd_manager m, var_table* vt);
// Finds or creates (id, t, e) in the table of id with t regular; no reference
// transfer and no check.
bdd bdd_find_in_table(bdd_manager m, int id, bdd t, bdd e);
// The periodic check (bdd_check.cpp), which the node lookups below run every
// kCheckInterval lookups: collection, limits, dynamic reordering, cache growth.
void bdd_check(bdd_manager m);
// Links a new node (id, t, e) at the head of chain b of the table of id,
// growing the table when it is too full; returns its offset.
bdd bdd_new_node_in_table(bdd_manager m, int id, bdd t, bdd e, std::uint32_t b);
// bdd_find_in_table and bdd_find for the step functions' own translation
// units: the lookup inline, the creation of a node out of line.
inline bdd bdd_find_in_table_inline(bdd_manager m, int id, bdd t, bdd e) {
  const var_table* vt = m->unique_tables[id];
  ++m->find_count;
  const std::uint32_t* heads = bdd_table_heads(vt);
  std::uint32_t b = bdd_table_bucket(vt, t, e);
  if (bdd_table_filters(vt)[b] & bdd_filter_bit(t, e)) {
    for (std::uint32_t off = heads[b]; off != 0;) {
      const bdd_* n = bdd_node_at(off);
      if (n->then_ == t && n->else_ == e) return off;
      off = n->next;
    }
  }
  return bdd_new_node_in_table(m, id, t, e, b);
}
// The handle of (id, t, e) for t != e: the node found or made with its
// then-edge regular, complemented back when t was complemented.
inline bdd bdd_find_handle(bdd_manager m, int id, bdd t, bdd e) {
  const bdd neg = t & 1u;
  return bdd_find_in_table_inline(m, id, t ^ neg, e ^ neg) ^ neg;
}
inline bdd bdd_find_inline(bdd_manager m, int id, bdd t, bdd e) {
  if (t == e) {
    bdd_temp_dec(e);
    return t;
  }
  const bdd r = bdd_find_handle(m, id, t, e);
  bdd_temp_inc(r);
  bdd_temp_dec(t);
  bdd_temp_dec(e);
  if (--m->check_countdown == 0) bdd_check(m);
  return r;
}
// A result held by a connective recursion (bdd_and_rec, bdd_xnor_rec,
// bdd_ite_rec) while it computes the sibling result: a record on the C stack
// linked from the manager. The collector marks from these records as from
// temporary counts, and a reordering gives them a temporary count while it
// runs, so the recursions need not write any count into the nodes they
// visit. A protected frame unlinks the records of an abandoned attempt.
struct bdd_shadow {
  bdd value;
  bdd_shadow* up;
};
inline void bdd_shadow_push(bdd_manager m, bdd_shadow* s, bdd value) {
  s->value = value;
  s->up = m->shadow;
  m->shadow = s;
}
inline void bdd_shadow_pop(bdd_manager m, const bdd_shadow* s) {
  m->shadow = s->up;
}
// bdd_find for the connective recursions: no temporary counts are taken or
// given; the result is held by a shadow record while the check runs.
inline bdd bdd_find_raw(bdd_manager m, int id, bdd t, bdd e) {
  if (t == e) return t;
  const bdd r = bdd_find_handle(m, id, t, e);
  if (--m->check_countdown == 0) {
    bdd_shadow s;
    bdd_shadow_push(m, &s, r);
    bdd_check(m);
    bdd_shadow_pop(m, &s);
  }
  return r;
}
// Rehashes a table step size indexes up (positive) or down (negative),
// stopping at the largest size index.
void bdd_rehash_table(var_table* vt, int step);
// Default terminal canonicalisation: a value and its negation share a node.
int bdd_default_canonical(bdd_manager, std::int32_t a, std::int32_t b, void*);
void bdd_default_transform(bdd_manager, std::int32_t a, std::int32_t b, std::int32_t* ra,
                           std::int32_t* rb, void*);

// ---- Variables and blocks (bdd_var.cpp) ----

bdd bdd_new_var(bdd_manager m, int index);
var_block_* bdd_new_block(bdd_manager m, int first, int last, int reorderable);
void bdd_free_block_tree(bdd_manager m, var_block_* b);

// ---- Operation cache (bdd_cache.cpp) ----

void bdd_init_cache(bdd_manager m);
void bdd_free_cache(bdd_manager m);
void bdd_rehash_cache(bdd_manager m);
// Removes the entries whose tag's gc function says so.
void bdd_purge_cache(bdd_manager m);
void bdd_flush_cache(bdd_manager m, bdd_flush_pred pred, void* arg);
void bdd_flush_all(bdd_manager m);
// Grows the cache one step when the growth rule asks for it.
void bdd_grow_cache_if_needed(bdd_manager m);

// ---- Connective steps (bdd_ite.cpp) ----

bdd bdd_ite_step(bdd_manager m, bdd f, bdd g, bdd h);
bdd bdd_and_step(bdd_manager m, bdd f, bdd g);
bdd bdd_xnor_step(bdd_manager m, bdd f, bdd g);
// The recursions behind the three steps: the result carries no temporary
// count, so the caller holds it (a temporary count or a shadow record)
// before anything can collect.
bdd bdd_ite_rec(bdd_manager m, bdd f, bdd g, bdd h);
bdd bdd_and_rec(bdd_manager m, bdd f, bdd g);
bdd bdd_xnor_rec(bdd_manager m, bdd f, bdd g);

// ---- References, check and collection (bdd_gc.cpp, bdd_check.cpp) ----

// (bdd_check is declared with the unique tables, whose inline lookups run it.)
void bdd_set_gc_limit(bdd_manager m);
void bdd_clear_temps(bdd_manager m);
void bdd_cleanup(bdd_manager m, int code);
void bdd_mark(bdd_manager m);
void bdd_sweep(bdd_manager m);
// Runs the reorder function inside the reordering frame (bdd_reorder.cpp).
void bdd_run_reorder(bdd_manager m);

// The manager's fields as a protected frame found them on entry: it gives
// back the first three on exit, the last two after an abandoned attempt.
struct bdd_frame {
  std::jmp_buf* abort_context;
  int reordering_allowed;
  long start_node_count;
  int protect_depth;
  bdd_shadow* shadow;
};
inline bdd_frame bdd_frame_enter(bdd_manager m) {
  const bdd_frame outer{m->abort_context, m->reordering_allowed, m->start_node_count,
                        m->protect_depth, m->shadow};
  m->reordering_allowed = 1;
  return outer;
}
inline void bdd_frame_leave(bdd_manager m, const bdd_frame& outer) {
  m->abort_context = outer.abort_context;
  m->reordering_allowed = outer.reordering_allowed;
  m->start_node_count = outer.start_node_count;
}
// After an attempt abandoned with `code`: unlinks the shadow records the
// attempt left, runs bdd_cleanup and tells whether to start again (after a
// reordering) (bdd_check.cpp).
bool bdd_frame_abandoned(bdd_manager m, const bdd_frame& outer, int code);

// One attempt of step() under a fresh context; 0 when it returned normally.
// Never inlined (it calls setjmp), so nothing its caller reads after a
// longjmp lives in its frame.
template <typename Step>
__attribute__((noinline)) int bdd_attempt(bdd_manager m, Step& step, bdd* result) {
  std::jmp_buf env;
  m->abort_context = &env;
  const int code = setjmp(env);
  if (code == 0) *result = step();
  return code;
}

// Runs step(), a step function's call with its arguments, in the protected
// frame: returns 0 with the result made external in *result (null stays
// null), or the abandon code (1, 2) with *result null. An operation that
// must recompute something at every start (after a reordering restarts it)
// does so inside step.
template <typename Step>
int bdd_run_protected(bdd_manager m, Step step, bdd* result) {
  const bdd_frame outer = bdd_frame_enter(m);
  int code;
  for (;;) {
    m->start_node_count = m->node_count;
    *result = 0;
    code = bdd_attempt(m, step, result);
    m->abort_context = nullptr;
    if (code == 0 || !bdd_frame_abandoned(m, outer, code)) break;
  }
  bdd_frame_leave(m, outer);
  if (code != 0) {
    *result = 0;
    return code;
  }
  if (*result != 0) bdd_make_external(m, *result);
  return 0;
}
// Same, giving null for an abandoned operation.
template <typename Step>
bdd bdd_protected(bdd_manager m, Step step) {
  bdd r;
  bdd_run_protected(m, step, &r);
  return r;
}

// ---- Associations (bdd_assoc.cpp) ----

void bdd_init_assocs(bdd_manager m);
void bdd_free_assocs(bdd_manager m);
// Grows every association array to the new capacity (new entries null).
void bdd_resize_assocs(bdd_manager m, int old_capacity, int new_capacity);
// Shifts last indexes for a variable inserted at index.
void bdd_shift_assocs(bdd_manager m, int index);
int bdd_assoc_count(bdd_manager m);

// ---- Reordering (bdd_reorder.cpp, bdd_reorder_exchange.cpp) ----

// Makes parent_counts hold the entry of slot (new entries 0).
void bdd_grow_parent_counts(bdd_manager m, std::uint32_t slot);
// The parent count of a node while the reordering frame is open. Node records
// are 16 bytes and never overlap, so offset / 16 tells them apart. The
// reference is valid until the next node is made.
inline std::uint32_t& bdd_parents(bdd_manager m, const bdd_* n) {
  const std::uint32_t slot = mem_offset(n) >> 4;
  if (slot >= m->parent_slots) bdd_grow_parent_counts(m, slot);
  return m->parent_counts[slot];
}
// Whether a node holds any count: external, temporary or from a parent.
inline bool bdd_has_count(bdd_manager m, const bdd_* n) {
  return n->refs != 0 || n->temps != 0 || bdd_parents(m, n) != 0;
}
// Runs method inside the reordering frame, opening one unless it is open.
void bdd_reorder_in_frame(bdd_manager m, bdd_reorder_fn method);
// Frees the record of a node already unlinked from its table (a terminal
// calls the terminal free function first); its children keep their counts.
void bdd_free_node_record(bdd_manager m, bdd_* n);
// Unlinks a node without any count from its table, frees it and gives back
// its parent counts, freeing in turn the children left without any.
void bdd_release_node(bdd_manager m, bdd_* n);
// Exchanges the variables at index and index + 1 (frame open).
void bdd_exchange_vars(bdd_manager m, int index);
// Exchanges the adjacent children i and i + 1 of parent (frame open).
void bdd_exchange_var_blocks(bdd_manager m, var_block_* parent, int i);
// Nodes in the tables of a block's variables.
long bdd_block_nodes(bdd_manager m, const var_block_* b);

// ---- Inline cache access for the step functions ----

inline cache_bucket* bdd_cache_bucket_of(bdd_manager m, std::int32_t h) {
  return &m->cache[bdd_mod(h, m->cache_bucket_count, m->cache_magic)];
}
inline std::int32_t bdd_hash3(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2) {
  return static_cast<std::int32_t>(w0 + 2u * w1 + 4u * w2);
}
inline std::int32_t bdd_hash2(std::uint32_t w0, std::uint32_t w1) {
  return static_cast<std::int32_t>(w0 + 2u * w1);
}
// Tag byte of a used slot.
inline std::uint8_t bdd_cache_tag_byte(int tag) {
  return static_cast<std::uint8_t>(tag + 1);
}

// Hit bookkeeping: move-to-front of a slot-1 hit and the hit count.
// Returns the entry, now in slot 0.
inline cache_entry* bdd_cache_hit(bdd_manager m, cache_bucket* b, int slot_no, int tag) {
  if (slot_no == 1) {
    const cache_entry hit = b->e[1];
    const std::uint8_t other = b->tag[0];
    b->e[1] = b->e[0];
    b->tag[1] = other;
    b->e[0] = hit;
    b->tag[0] = bdd_cache_tag_byte(tag);
  }
  ++m->cache_hits;
  return &b->e[0];
}

// The tag's return rule on a hit entry: a temporary count on the result of
// tags 0 and 1, the return function of a claimed tag.
inline void bdd_cache_return(bdd_manager m, int tag, cache_entry* e) {
  if (tag <= kCacheTagTwo) {
    bdd_temp_inc(e->w[3]);
  } else if (tag >= kCacheFirstUserTag && m->cache_return[tag] != nullptr) {
    m->cache_return[tag](m, e);
  }
}

// The entry of three key words in their bucket b, moved to slot 0, or null.
inline cache_entry* bdd_cache_find31_in(bdd_manager m, cache_bucket* b, int tag, std::uint32_t k0,
                                        std::uint32_t k1, std::uint32_t k2) {
  ++m->cache_lookups;
  const std::uint8_t want = bdd_cache_tag_byte(tag);
  for (int i = 0; i < 2; ++i) {
    const std::uint8_t t = b->tag[i];
    if (t == 0) return nullptr;
    if (t != want) continue;
    const cache_entry* e = &b->e[i];
    if (e->w[0] == k0 && e->w[1] == k1 && e->w[2] == k2) return bdd_cache_hit(m, b, i, tag);
  }
  return nullptr;
}

// The entry of three key words, moved to slot 0 of its bucket, or null.
inline cache_entry* bdd_cache_find31(bdd_manager m, int tag, std::uint32_t k0, std::uint32_t k1,
                                     std::uint32_t k2) {
  return bdd_cache_find31_in(m, bdd_cache_bucket_of(m, bdd_hash3(k0, k1, k2)), tag, k0, k1, k2);
}

// Looks up three key words; on a hit applies the tag's return rule, stores
// word 3 in *r and returns true.
inline bool bdd_cache_lookup31(bdd_manager m, int tag, std::uint32_t k0, std::uint32_t k1,
                               std::uint32_t k2, std::uint32_t* r) {
  cache_entry* e = bdd_cache_find31(m, tag, k0, k1, k2);
  if (e == nullptr) return false;
  bdd_cache_return(m, tag, e);
  *r = e->w[3];
  return true;
}

// bdd_cache_lookup31 for the connective recursions, in the key's bucket b: a
// hit takes no temporary count on the result.
inline bool bdd_cache_lookup31_raw(bdd_manager m, cache_bucket* b, int tag, std::uint32_t k0,
                                   std::uint32_t k1, std::uint32_t k2, std::uint32_t* r) {
  const cache_entry* e = bdd_cache_find31_in(m, b, tag, k0, k1, k2);
  if (e == nullptr) return false;
  *r = e->w[3];
  return true;
}

// The slot for a new insertion in bucket b, following the two-slot
// replacement rule, with its tag set; the caller writes the words. An entry
// pushed out goes through its tag's purge function.
inline cache_entry* bdd_cache_take_slot(bdd_manager m, cache_bucket* b, int tag) {
  const std::uint8_t t = bdd_cache_tag_byte(tag);
  ++m->cache_insertions;
  if (b->tag[0] == 0) {
    ++m->cache_entries;
    b->tag[0] = t;
    return &b->e[0];
  }
  if (b->tag[1] == 0) {
    ++m->cache_entries;
    b->tag[1] = t;
    return &b->e[1];
  }
  // Only claimed tags have a purge function.
  if (b->tag[1] > bdd_cache_tag_byte(kCacheFirstUserTag - 1)) {
    bdd_cache_purge_fn purge = m->cache_purge[b->tag[1] - 1];
    if (purge != nullptr) purge(m, &b->e[1]);
  }
  ++m->cache_collisions;
  if (m->protect_depth != 0) {
    b->tag[1] = t;
    return &b->e[1];
  }
  b->e[1] = b->e[0];
  b->tag[1] = b->tag[0];
  b->tag[0] = t;
  return &b->e[0];
}

// Inserts an entry of three key words into their bucket b.
inline void bdd_cache_insert31_in(bdd_manager m, cache_bucket* b, int tag, std::uint32_t k0,
                                  std::uint32_t k1, std::uint32_t k2, std::uint32_t r) {
  cache_entry* e = bdd_cache_take_slot(m, b, tag);
  e->w[0] = k0;
  e->w[1] = k1;
  e->w[2] = k2;
  e->w[3] = r;
}
inline void bdd_cache_insert31(bdd_manager m, int tag, std::uint32_t k0, std::uint32_t k1,
                               std::uint32_t k2, std::uint32_t r) {
  bdd_cache_insert31_in(m, bdd_cache_bucket_of(m, bdd_hash3(k0, k1, k2)), tag, k0, k1, k2, r);
}
