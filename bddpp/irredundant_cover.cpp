// Minato-Morreale irredundant sums on the BDD (see irredundant_cover.h).
#include "bddpp/irredundant_cover.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kSaturated = std::uint64_t{1} << 62;

}  // namespace

irredundant_cover::irredundant_cover(bddpp_manager* man, bdd f, std::uint64_t max_products)
    : man_(man), max_products_(max_products), start_work_(bdd_work_count(man->engine())) {
  entries_.resize(2);
  entries_[kEmpty].cover = man->Bdd_dup(man->Bdd_zero());
  entries_[kFull].cover = man->Bdd_dup(man->Bdd_one());
  entries_[kFull].count = 1;
  root_ = isop(man->Bdd_dup(f), man->Bdd_dup(f));
}

irredundant_cover::~irredundant_cover() {
  for (const entry& e : entries_) {
    for (bdd g : {e.lower, e.upper, e.cover})
      if (g != 0) man_->Bdd_free(g);
  }
}

std::uint64_t irredundant_cover::count() const {
  return overflow_ ? kSaturated : entries_[static_cast<std::size_t>(root_)].count;
}

int irredundant_cover::isop(bdd lower, bdd upper) {
  if (man_->Bdd_is_tautology(lower, 0) || man_->Bdd_is_tautology(upper, 1)) {
    const int id = man_->Bdd_is_tautology(lower, 0) ? kEmpty : kFull;
    man_->Bdd_free(lower);
    man_->Bdd_free(upper);
    return id;
  }
  const std::uint64_t key = static_cast<std::uint64_t>(lower) << 32 | upper;
  auto found = id_of_.find(key);
  if (found != id_of_.end()) {
    man_->Bdd_free(lower);
    man_->Bdd_free(upper);
    return found->second;
  }
  if (overflow_ || entries_.size() >= kMaxEntries ||
      bdd_work_count(man_->engine()) - start_work_ > kMaxWork) {
    overflow_ = true;
    man_->Bdd_free(lower);
    man_->Bdd_free(upper);
    return kEmpty;
  }
  const long lower_index = man_->Bdd_if_index(lower);
  const long upper_index = man_->Bdd_if_index(upper);
  const long index = lower_index < 0                                ? upper_index
                     : upper_index < 0 || lower_index < upper_index ? lower_index
                                                                    : upper_index;
  // Cofactors on the variable of that index (a function that does not
  // depend on it is its own cofactor).
  auto cofactor = [&](bdd g, bool positive) {
    if (man_->Bdd_if_index(g) != index) return man_->Bdd_dup(g);
    return positive ? man_->Bdd_then(g) : man_->Bdd_else(g);
  };
  bdd l1 = cofactor(lower, true), l0 = cofactor(lower, false);
  bdd u1 = cofactor(upper, true), u0 = cofactor(upper, false);
  bdd not_u1 = man_->Bdd_not(u1), not_u0 = man_->Bdd_not(u0);
  const int negative = isop(man_->Bdd_and(l0, not_u1), man_->Bdd_dup(u0));
  const int positive = isop(man_->Bdd_and(l1, not_u0), man_->Bdd_dup(u1));
  man_->Bdd_free(not_u1);
  man_->Bdd_free(not_u0);
  // What the two sides leave of L, for the products without the variable.
  bdd left0 = man_->Bdd_and(l0, entries_[static_cast<std::size_t>(negative)].cover ^ 1u);
  bdd left1 = man_->Bdd_and(l1, entries_[static_cast<std::size_t>(positive)].cover ^ 1u);
  bdd rest_lower = man_->Bdd_or(left0, left1);
  man_->Bdd_free(left0);
  man_->Bdd_free(left1);
  const int rest = isop(rest_lower, man_->Bdd_and(u0, u1));
  for (bdd g : {l1, l0, u1, u0})
    man_->Bdd_free(g);
  const entry& n = entries_[static_cast<std::size_t>(negative)];
  const entry& p = entries_[static_cast<std::size_t>(positive)];
  const entry& r = entries_[static_cast<std::size_t>(rest)];
  bdd sides = man_->Bdd_ite(man_->Bdd_var_by_index(index), p.cover, n.cover);
  entry e;
  e.cover = man_->Bdd_or(sides, r.cover);
  man_->Bdd_free(sides);
  e.count = std::min(n.count + p.count + r.count, kSaturated);
  if (e.count > max_products_) overflow_ = true;
  e.index = index;
  e.negative = negative;
  e.positive = positive;
  e.rest = rest;
  e.lower = lower;
  e.upper = upper;
  const int id = static_cast<int>(entries_.size());
  entries_.push_back(e);
  id_of_.emplace(key, id);
  return id;
}

void irredundant_cover::products(std::vector<bdd>& out) {
  if (overflow_) return;
  std::vector<std::pair<long, int>> literals;
  emit(root_, literals, out);
}

void irredundant_cover::emit(int id, std::vector<std::pair<long, int>>& literals,
                             std::vector<bdd>& out) {
  if (id == kEmpty) return;
  if (id == kFull) {
    // The literals are in index order: the product is built from the last.
    bdd product = man_->Bdd_dup(man_->Bdd_one());
    for (auto l = literals.rbegin(); l != literals.rend(); ++l) {
      const bdd var = man_->Bdd_var_by_index(l->first);
      bdd next = man_->Bdd_and(product, l->second != 0 ? var : var ^ 1u);
      man_->Bdd_free(product);
      product = next;
    }
    out.push_back(product);
    return;
  }
  const entry e = entries_[static_cast<std::size_t>(id)];
  literals.emplace_back(e.index, 1);
  emit(e.positive, literals, out);
  literals.back().second = 0;
  emit(e.negative, literals, out);
  literals.pop_back();
  emit(e.rest, literals, out);
}

namespace {

// Whether f implies g, by the engine's early-ending test.
bool implies(bddpp_manager* man, bdd f, bdd g) {
  bdd witness = bdd_implies(man->engine(), f, g);
  const bool none = man->Bdd_is_tautology(witness, 0);
  man->Bdd_free(witness);
  return none;
}

// The points that products[lo .. hi) cover once or more, and twice or
// more, from the halves: a union of neighbours stays small where one
// growing union would be rebuilt for every product.
void coverage(bddpp_manager* man, const std::vector<bdd>& products, std::size_t lo, std::size_t hi,
              bdd& once, bdd& twice) {
  if (hi - lo <= 1) {
    once = man->Bdd_dup(lo < hi ? products[lo] : man->Bdd_zero());
    twice = man->Bdd_dup(man->Bdd_zero());
    return;
  }
  const std::size_t mid = lo + (hi - lo) / 2;
  bdd once_a, twice_a, once_b, twice_b;
  coverage(man, products, lo, mid, once_a, twice_a);
  coverage(man, products, mid, hi, once_b, twice_b);
  bdd both = man->Bdd_and(once_a, once_b);
  bdd twice_ab = man->Bdd_or(twice_a, twice_b);
  twice = man->Bdd_or(twice_ab, both);
  once = man->Bdd_or(once_a, once_b);
  for (bdd g : {both, twice_ab, once_a, twice_a, once_b, twice_b})
    man->Bdd_free(g);
}

}  // namespace

void drop_redundant(bddpp_manager* man, std::vector<bdd>& products) {
  bdd once = 0;
  bdd twice = 0;
  coverage(man, products, 0, products.size(), once, twice);
  man->Bdd_free(once);
  // A product inside `twice` may go; the others have a point of their own.
  std::vector<std::size_t> candidates;
  std::vector<bdd> needed;
  for (std::size_t i = 0; i < products.size(); ++i) {
    if (implies(man, products[i], twice)) {
      candidates.push_back(i);
    } else {
      needed.push_back(products[i]);
    }
  }
  man->Bdd_free(twice);
  if (candidates.empty()) return;
  bdd kept = 0;
  coverage(man, needed, 0, needed.size(), kept, twice);
  man->Bdd_free(twice);
  // The candidates in order, against the others as they stand: the kept
  // ones, the candidates before that stayed and those after.
  const std::size_t n = candidates.size();
  std::vector<bdd> after(n + 1);
  after[n] = man->Bdd_dup(man->Bdd_zero());
  for (std::size_t c = n; c-- > 0;)
    after[c] = man->Bdd_or(products[candidates[c]], after[c + 1]);
  std::vector<bool> gone(products.size(), false);
  for (std::size_t c = 0; c < n; ++c) {
    bdd others = man->Bdd_or(kept, after[c + 1]);
    man->Bdd_free(after[c + 1]);
    after[c + 1] = 0;
    const bdd p = products[candidates[c]];
    if (implies(man, p, others)) {
      gone[candidates[c]] = true;
    } else {
      bdd next = man->Bdd_or(kept, p);
      man->Bdd_free(kept);
      kept = next;
    }
    man->Bdd_free(others);
  }
  man->Bdd_free(after[0]);
  man->Bdd_free(kept);
  std::size_t left = 0;
  for (std::size_t i = 0; i < products.size(); ++i) {
    if (gone[i]) {
      man->Bdd_free(products[i]);
    } else {
      products[left++] = products[i];
    }
  }
  products.resize(left);
}
