// Intersection and implication tests: a conjunction that stops at the first
// satisfying branch and returns a witness below both operands.
#include <utility>

#include "bdd/bdd_int.h"

namespace {

bdd intersects_step(bdd_manager m, bdd f, bdd g) {
  const bdd zero = m->zero;
  if (bdd_is_terminal(f)) return f == zero ? zero : bdd_with_temp(g);
  if (bdd_is_terminal(g)) return g == zero ? zero : bdd_with_temp(f);
  if (bdd_same_node(f, g)) return f != g ? zero : bdd_with_temp(f);
  if (f > g) std::swap(f, g);
  bdd r;
  if (bdd_cache_lookup31(m, kCacheTagIte, f, g, zero, &r)) return r;
  const int top = bdd_top_id2(m, bdd_node(f), bdd_node(g));
  bdd f1, f0, g1, g0;
  bdd_split(f, top, &f1, &f0);
  bdd_split(g, top, &g1, &g0);
  bdd r1 = intersects_step(m, f1, g1);
  if (r1 != zero) return bdd_find(m, top, r1, zero);
  bdd r0 = intersects_step(m, f0, g0);
  if (r0 != zero) return bdd_find(m, top, zero, r0);
  bdd_cache_insert31(m, kCacheTagIte, f, g, zero, zero);
  return zero;
}

}  // namespace

bdd bdd_intersects(bdd_manager m, bdd f, bdd g) {
  if (!bdd_check_arg(f) || !bdd_check_arg(g)) return 0;
  return bdd_protected(m, [m, f, g] { return intersects_step(m, f, g); });
}

bdd bdd_implies(bdd_manager m, bdd f, bdd g) {
  if (!bdd_check_arg(f) || !bdd_check_arg(g)) return 0;
  const bdd not_g = g ^ 1u;
  return bdd_protected(m, [m, f, not_g] { return intersects_step(m, f, not_g); });
}
