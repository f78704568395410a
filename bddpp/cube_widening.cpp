// A product widened inside f in one pass over f's BDD.
//
// The literals are tried in index order; literal j goes when the product
// without it still implies f, that is when no point of that wider product
// is a zero of f. Trying each with a conjunction or implication costs the
// depth of the product each time, n^2 / 2 steps for n literals. Here the
// question for every j is answered from two walks of f, each node met once:
//  - below j every literal is still there: `zero_below(e)` says whether the
//    function of edge e has a zero on the points of the product's literals
//    under e's level (computed once, from the leaves up);
//  - above j the literals are decided: the frontier holds the edges the
//    decided product reaches from f's root, at level j or below; it goes
//    down one level at a time, following the kept literal's branch, or both
//    where no literal or a dropped one is.
// The wider product has a zero of f exactly when an edge of the frontier
// under level j has a zero below, or an edge at level j has one on either
// branch (j is free then).
#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bddpp/bddpp_manager.h"

namespace {

// Sign of the literal of each level of the product: 1, 0, or -1 for none.
using level_signs = std::vector<signed char>;

}  // namespace

bool bddpp_manager::Widen_cube(bdd f, bdd& product) {
  std::vector<std::pair<long, int>> literals;
  if (f == 0 || !Cube_literals(product, literals)) return false;
  if (literals.empty()) return true;
  const long levels = Nb_bdd_vars();
  level_signs sign(static_cast<std::size_t>(levels), -1);
  for (const auto& [index, positive] : literals)
    sign[static_cast<std::size_t>(index)] = static_cast<signed char>(positive);

  const bdd zero = Bdd_zero();
  const bdd one = Bdd_one();
  // Sons of an edge. The engine looks only at referenced nodes: the
  // references taken are held until the end.
  std::vector<bdd> held;
  auto sons = [this, &held](bdd e, bdd& then_part, bdd& else_part) {
    then_part = Bdd_then(e);
    else_part = Bdd_else(e);
    held.push_back(then_part);
    held.push_back(else_part);
  };

  // zero_below for every edge of f, from the leaves up, without recursion.
  std::unordered_map<bdd, bool> zero_below;
  zero_below[zero] = true;
  zero_below[one] = false;
  std::vector<bdd> stack{f};
  while (!stack.empty()) {
    const bdd e = stack.back();
    if (zero_below.count(e) != 0) {
      stack.pop_back();
      continue;
    }
    bdd t, el;
    sons(e, t, el);
    const auto ft = zero_below.find(t);
    const auto fe = zero_below.find(el);
    if (ft == zero_below.end() || fe == zero_below.end()) {
      if (ft == zero_below.end()) stack.push_back(t);
      if (fe == zero_below.end()) stack.push_back(el);
      continue;
    }
    const signed char s = sign[static_cast<std::size_t>(Bdd_if_index(e))];
    zero_below[e] = s == 1 ? ft->second : s == 0 ? fe->second : ft->second || fe->second;
    stack.pop_back();
  }

  // The frontier, by level; `zeros` counts its edges with a zero below, and
  // reached_zero says whether the constant zero itself was reached.
  std::vector<std::vector<bdd>> at_level(static_cast<std::size_t>(levels));
  std::unordered_map<bdd, char> reached;
  long zeros = 0;
  bool reached_zero = false;
  auto reach = [&](bdd e) {
    if (!reached.emplace(e, 1).second) return;
    if (e == zero) {
      reached_zero = true;
      return;
    }
    if (e == one) return;
    at_level[static_cast<std::size_t>(Bdd_if_index(e))].push_back(e);
    if (zero_below[e]) ++zeros;
  };
  // Moves the frontier edges of `level` to their sons; `keep` is the sign
  // of the literal kept there, -1 when the level is free.
  auto descend = [&](long level, int keep) {
    std::vector<bdd> edges;
    edges.swap(at_level[static_cast<std::size_t>(level)]);
    for (const bdd e : edges) {
      if (zero_below[e]) --zeros;
      bdd t, el;
      sons(e, t, el);
      if (keep != 0) reach(t);
      if (keep != 1) reach(el);
    }
  };
  reach(f);

  std::vector<std::pair<long, bdd>> kept;
  long next_level = 0;
  for (const auto& [index, positive] : literals) {
    for (; next_level < index; ++next_level)
      descend(next_level, -1);
    // Frontier edges under level j, then those at j with j free.
    bool outside = reached_zero;
    long zeros_at_j = 0;
    for (const bdd e : at_level[static_cast<std::size_t>(index)]) {
      if (zero_below[e]) ++zeros_at_j;
      if (outside) continue;
      bdd t, el;
      sons(e, t, el);
      outside = zero_below[t] || zero_below[el];
    }
    outside = outside || zeros > zeros_at_j;
    if (outside) kept.emplace_back(index, positive);
    descend(index, outside ? positive : -1);
    next_level = index + 1;
  }

  for (const bdd e : held)
    Bdd_free(e);
  if (kept.size() == literals.size()) return true;
  bdd wider = Bdd_dup(one);
  for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
    bdd var = Bdd_var_by_index(it->first);
    bdd next = Bdd_and(wider, it->second == 1 ? var : var ^ 1u);
    Bdd_free(wider);
    wider = next;
  }
  Bdd_free(product);
  product = wider;
  return true;
}
