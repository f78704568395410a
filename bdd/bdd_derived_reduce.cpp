// Minimisation with respect to a care set (reduce) and the generalised
// cofactor. A null step result stands for "no constraint": the care set was
// false on that branch.
#include "bdd/bdd_int.h"

namespace {

// Combines the halves of a split on variable id; a null half takes the other.
inline bdd join(bdd_manager m, int id, bdd r1, bdd r0) {
  if (r1 == 0) return r0;
  if (r0 == 0) return r1;
  return bdd_find(m, id, r1, r0);
}

// Both recursions commute with the negation of f, and a care set that is not
// false gives a result that is not null: f is looked up and stored regular,
// so that f and its negation share one cache entry, and the complement goes
// back on the way out.

bdd reduce_step(bdd_manager m, bdd f, bdd c) {
  if (bdd_is_terminal(c)) return c == m->zero ? 0 : bdd_with_temp(f);
  if (bdd_is_terminal(f)) return bdd_with_temp(f);
  const bdd neg = f & 1u;
  f ^= neg;
  bdd r;
  if (bdd_cache_lookup31(m, kCacheTagTwo, kOpReduce, f, c, &r)) return r ^ neg;
  const bdd_* fn = bdd_node(f);
  const bdd_* cn = bdd_node(c);
  if (bdd_node_index(m, fn) > bdd_node_index(m, cn)) {
    // The care set's top variable is not in f: quantify it out of the care set.
    bdd c1 = cn->then_ ^ (c & 1u);
    bdd c0 = cn->else_ ^ (c & 1u);
    ++m->protect_depth;
    bdd t = bdd_ite_step(m, c1, m->one, c0);
    --m->protect_depth;
    r = reduce_step(m, f, t);
    bdd_temp_dec(t);
    return r ^ neg;
  }
  const int top = fn->id;
  bdd f1, f0, c1, c0;
  bdd_split(f, top, &f1, &f0);
  bdd_split(c, top, &c1, &c0);
  bdd r1 = reduce_step(m, f1, c1);
  bdd r0 = reduce_step(m, f0, c0);
  r = join(m, top, r1, r0);
  bdd_cache_insert31(m, kCacheTagTwo, kOpReduce, f, c, r);
  return r ^ neg;
}

bdd cofactor_step(bdd_manager m, bdd f, bdd c) {
  if (bdd_is_terminal(c)) return c == m->zero ? 0 : bdd_with_temp(f);
  if (bdd_is_terminal(f)) return bdd_with_temp(f);
  const bdd neg = f & 1u;
  f ^= neg;
  bdd r;
  if (bdd_cache_lookup31(m, kCacheTagTwo, kOpCofactor, f, c, &r)) return r ^ neg;
  const int top = bdd_top_id2(m, bdd_node(f), bdd_node(c));
  bdd f1, f0, c1, c0;
  bdd_split(f, top, &f1, &f0);
  bdd_split(c, top, &c1, &c0);
  bdd r1 = cofactor_step(m, f1, c1);
  bdd r0 = cofactor_step(m, f0, c0);
  r = join(m, top, r1, r0);
  bdd_cache_insert31(m, kCacheTagTwo, kOpCofactor, f, c, r);
  return r ^ neg;
}

}  // namespace

bdd bdd_reduce(bdd_manager m, bdd f, bdd c) {
  if (!bdd_check_arg(f) || !bdd_check_arg(c)) return 0;
  const auto step = [m, f, c] { return reduce_step(m, f, c); };
  bdd r;
  if (bdd_run_protected(m, step, &r) != 0) return 0;
  return r == 0 ? m->zero : r;
}

bdd bdd_cofactor(bdd_manager m, bdd f, bdd c) {
  if (!bdd_check_arg(f) || !bdd_check_arg(c)) return 0;
  if (c == m->zero) {
    bdd_warning("bdd_cofactor: second argument is false");
    return m->one;
  }
  return bdd_protected(m, [m, f, c] { return cofactor_step(m, f, c); });
}
