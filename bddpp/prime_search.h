// Prime implicants of one function computed on its BDD, and their order.
//
// The ternary implicant tree of a function g with top variable x has three
// sons: the trees of the cofactors g1 (x = 1) and g0 (x = 0) and of their
// conjunction h = g1 & g0 (the part that does not need x). Its paths to one
// are implicants; walking them and keeping the largest finds every prime,
// but a function of n variables can have up to 3^n such paths (2^n for an
// or), however few primes it has.
//
// The search here never walks the paths. It keeps each function the tree
// would meet once (the closure of f under g -> g1, g0, h, one record per
// BDD) and builds the primes from the leaves up:
//     primes(g) = x . (primes(g1) - primes(h))
//               + !x . (primes(g0) - primes(h))
//               + primes(h),
// since a prime of g1 that is also an implicant of g0 is a prime of h. Each
// list is sorted in the order in which the tree walk meets the products:
// variables from the top of the order, a positive literal before a negative
// one before an absent one. Lists of records no longer needed are dropped.
//
// The order of the tree walk. The walk keeps a list of slots and puts each
// implicant it meets into the first slot whose product implies it (the
// smaller product goes), or into a new slot at the end; then a product
// implying an earlier one goes. Every prime ends in a slot of its own and
// the other slots are dropped, so the result is the primes in the order of
// their slots, which the replacements make depend on the whole walk.
// `order_as_tree_walk` replays that walk exactly, on the records of the
// closure, with products kept as literal masks and each slot search done in
// a view (the slots whose product has every literal of the current path,
// narrowed at each positive or negative branch), and gives its order.
//
// Each replacement takes a product with fewer literals, so a slot takes at
// most n + 1 products (n the variables of f): a walk whose slots stay within
// L meets at most (n + 1) L implicants. The number of implicants the walk
// would meet is counted on the closure first; above that bound the walk is
// known to pass L and is not replayed. Where the walk passes L the order is
// the walk's meeting order (lexicographic as above), the order in which the
// search builds its lists.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "bddpp/bddpp_manager.h"

class prime_search {
 public:
  enum class status { found, too_many };

  // Records at most this many functions of the closure (a few seconds and
  // some tens of MB); a function that needs more is treated as one with too
  // many primes. Functions with more than 50000 primes usually need far
  // more; no table of the benchmark circuits needs a sixteenth of it.
  static constexpr std::size_t kMaxRecords = std::size_t{1} << 18;
  // The same past this many engine look-ups while the closure is built
  // (bdd_work_count): a bound on time that does not depend on the machine
  // (again sixteen times what any benchmark table needs).
  static constexpr long kMaxWork = 1L << 24;

  // f must not be a constant.
  prime_search(bddpp_manager* man, bdd f);
  ~prime_search();
  prime_search(const prime_search&) = delete;
  prime_search& operator=(const prime_search&) = delete;

  // Computes the primes in meeting order; too_many when there are more than
  // `limit`, or when the closure passes kMaxRecords or kMaxWork.
  status find(int limit);
  // Reorders the primes found as the tree walk does when its slots stay
  // within `slot_limit`; returns false, keeping the meeting order, when the
  // walk would pass that limit.
  bool order_as_tree_walk(int slot_limit);

  int count() const { return static_cast<int>(primes_.size() / cube_words_); }
  // A new reference to the i-th prime as a product.
  bdd product(int i) const;
  // Number of tree paths to one, saturated at 2^62 (after find).
  std::uint64_t implicant_paths() const;

 private:
  static constexpr int kZero = 0;
  static constexpr int kOne = 1;

  // One function of the closure; ids 0 and 1 are the constants.
  struct record {
    bdd g = 0;                           // one reference owned (none for the constants)
    long position = 0;                   // of its top variable in f's support
    int son[3] = {kZero, kZero, kZero};  // positive cofactor, negative, both
    int parents_left = 0;                // records still to read its primes
    std::uint64_t paths = 0;             // tree paths to one
    std::vector<std::uint64_t> primes;   // cube_words_ per prime
  };
  struct walk_state;

  // The record id of g, creating it (without its sons) when new; -1 when
  // the closure is full.
  int record_of(bdd g);
  // Builds the closure below the root; false past kMaxRecords or kMaxWork.
  bool build_closure();
  // Computes the prime list of record r from its sons'; false above limit.
  bool primes_of(int r, int limit);
  // The walk below record r, on the slots and views of w; false when it
  // passes the slot limit.
  bool walk(walk_state& w, int r, std::size_t view);
  // The three sons of an inner record, in the walk's order.
  bool expand(walk_state& w, int r, std::size_t view);
  // The walk below r when no slot implies its path: the slots r leaves
  // alone, computed once per record, appended.
  bool walk_alone(walk_state& w, int r, std::size_t view);
  // Whether `cube` is among the primes found (a search in meeting order).
  bool is_prime(const std::uint64_t* cube) const;

  bddpp_manager* man_;
  bdd f_;
  std::vector<long> support_;   // indexes of f's variables, ascending
  std::vector<bdd> var_at_;     // the variable at each support position
  std::size_t words_ = 1;       // words of one literal mask
  std::size_t cube_words_ = 2;  // positive mask, then negative mask
  std::vector<record> records_;
  std::unordered_map<bdd, int> id_of_;
  std::vector<std::uint64_t> primes_;  // the result, cube_words_ per prime
  // Slots each record leaves in a walk that starts without slots, for at
  // most kMaxAloneWords words in all.
  static constexpr std::size_t kMaxAloneWords = std::size_t{1} << 22;
  std::vector<int> alone_of_;
  std::vector<std::vector<std::uint64_t>> alone_lists_;
  std::size_t alone_words_ = 0;
};
