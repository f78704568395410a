// An irredundant sum of products of a function computed on its BDD, without
// enumerating the function's prime implicants (Minato-Morreale).
//
// isop(L, U), for L <= U, gives a sum C with L <= C <= U from which no
// product can be removed. With x the top variable of L and U:
//     C0 = isop(L0 & !U1, U0)       products that need !x
//     C1 = isop(L1 & !U0, U1)       products that need x
//     Cd = isop((L0 & !C0) | (L1 & !C1), U0 & U1)   the rest, without x
//     C  = !x . C0 + x . C1 + Cd
// Each pair (L, U) is computed once: its sum is kept as a BDD with the
// number of its products, so that a sum too large to print is refused
// before any product is built. The products come out in the order
// x . C1, !x . C0, Cd, recursively. They are implicants of f, not always
// prime ones; bddpp_manager::Bdd_irredundant_primes widens them and drops
// those the widening made redundant.
//
// A function whose complement has a large sum can need a great many pairs,
// and very large BDDs, before its count is known. The sum counts as too
// large (count() saturated) as soon as one pair's sum has more than the
// caller's bound (the whole sum has all its products, each with a prefix),
// past kMaxEntries pairs, or past kMaxWork engine look-ups (bdd_work_count,
// a few seconds), so that the answer does not depend on the machine.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "bddpp/bddpp_manager.h"

class irredundant_cover {
 public:
  // The sum of f, given up past `max_products` products.
  irredundant_cover(bddpp_manager* man, bdd f, std::uint64_t max_products);
  ~irredundant_cover();
  irredundant_cover(const irredundant_cover&) = delete;
  irredundant_cover& operator=(const irredundant_cover&) = delete;

  static constexpr std::size_t kMaxEntries = std::size_t{1} << 18;
  static constexpr long kMaxWork = 1L << 24;

  // Number of products of the sum, saturated at 2^62.
  std::uint64_t count() const;
  // Appends new references to the products of the sum to `out`.
  void products(std::vector<bdd>& out);

 private:
  static constexpr int kEmpty = 0;  // the empty sum (L is zero)
  static constexpr int kFull = 1;   // the sum of the empty product (U is one)

  struct entry {
    bdd lower = 0, upper = 0;  // the pair, one reference each
    bdd cover = 0;             // the sum as a function, one reference
    std::uint64_t count = 0;
    long index = -1;  // of the variable split on
    int negative = kEmpty, positive = kEmpty, rest = kEmpty;
  };

  // The entry of isop(lower, upper); takes over both references.
  int isop(bdd lower, bdd upper);
  void emit(int id, std::vector<std::pair<long, int>>& literals, std::vector<bdd>& out);

  bddpp_manager* man_;
  std::vector<entry> entries_;
  std::unordered_map<std::uint64_t, int> id_of_;
  int root_ = kEmpty;
  std::uint64_t max_products_;
  long start_work_;
  bool overflow_ = false;
};

// In order, drops each product that the others as they stand cover, so
// that none is left that could go. A product with a point no other one
// covers stays whatever goes; only the others are tested one by one.
void drop_redundant(bddpp_manager* man, std::vector<bdd>& products);
