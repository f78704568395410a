// Composition (a variable replaced by a function, or restricted by a
// constant) and substitution of every variable through the current
// association.
#include "bdd/bdd_int.h"

namespace {

// The variable replaced, by id and by its index in the current order, and
// the operation code of the cache entries.
struct Compose {
  int var_id;
  unsigned var_index;
  std::int32_t code;
};

bdd compose_step(bdd_manager m, bdd f, bdd g, const Compose* k) {
  const bdd_* fn = bdd_node(f);
  const unsigned fi = bdd_node_index(m, fn);
  if (k->var_index < fi) return bdd_with_temp(f);
  const bdd neg = f & 1u;
  f ^= neg;
  bdd r;
  if (bdd_cache_lookup31(m, kCacheTagTwo, static_cast<std::uint32_t>(k->code), f, g, &r)) {
    return r ^ neg;
  }
  const bdd_* gn = bdd_node(g);
  if (gn->id == 0) {
    if (fi == k->var_index) {
      r = bdd_with_temp(g == m->one ? fn->then_ : fn->else_);
    } else {
      bdd r1 = compose_step(m, fn->then_, g, k);
      bdd r0 = compose_step(m, fn->else_, g, k);
      r = bdd_find(m, fn->id, r1, r0);
    }
  } else if (fi == k->var_index) {
    ++m->protect_depth;
    r = bdd_ite_step(m, g, fn->then_, fn->else_);
    --m->protect_depth;
  } else {
    const bool on_g = bdd_node_index(m, gn) < fi;
    const int top = on_g ? gn->id : fn->id;
    bdd f1 = f, f0 = f, g1 = g, g0 = g;
    if (!on_g) {
      f1 = fn->then_;
      f0 = fn->else_;
    }
    if (gn->id == top) {
      g1 = gn->then_ ^ (g & 1u);
      g0 = gn->else_ ^ (g & 1u);
    }
    bdd r1 = compose_step(m, f1, g1, k);
    bdd r0 = compose_step(m, f0, g0, k);
    r = bdd_find(m, top, r1, r0);
  }
  bdd_cache_insert31(m, kCacheTagTwo, static_cast<std::uint32_t>(k->code), f, g, r);
  return r ^ neg;
}

// The association and the operation code of the cache entries.
struct Substitute {
  const bdd_assoc_* assoc;
  std::int32_t code;
};

bdd substitute_step(bdd_manager m, bdd f, const Substitute* s) {
  const bdd_* fn = bdd_node(f);
  if (static_cast<int>(bdd_node_index(m, fn)) > s->assoc->last_index) return bdd_with_temp(f);
  const bdd neg = f & 1u;
  f ^= neg;
  const bdd one = m->one;
  bdd r;
  if (bdd_cache_lookup31(m, kCacheTagTwo, static_cast<std::uint32_t>(s->code), f, one, &r)) {
    return r ^ neg;
  }
  bdd r1 = substitute_step(m, fn->then_, s);
  bdd r0 = substitute_step(m, fn->else_, s);
  bdd v = s->assoc->values[fn->id];
  if (v == 0) v = m->var_of_id[fn->id];
  if (v == one) {
    r = r1;
    bdd_temp_dec(r0);
  } else if (v == m->zero) {
    r = r0;
    bdd_temp_dec(r1);
  } else if (bdd_type(m, v) == BDD_TYPE_POSVAR && bdd_index_of(m, v) < bdd_index_of(m, r1) &&
             bdd_index_of(m, v) < bdd_index_of(m, r0)) {
    r = bdd_find(m, bdd_node(v)->id, r1, r0);
  } else {
    ++m->protect_depth;
    r = bdd_ite_step(m, v, r1, r0);
    --m->protect_depth;
    bdd_temp_dec(r1);
    bdd_temp_dec(r0);
  }
  bdd_cache_insert31(m, kCacheTagTwo, static_cast<std::uint32_t>(s->code), f, one, r);
  return r ^ neg;
}

}  // namespace

bdd bdd_compose(bdd_manager m, bdd f, bdd var, bdd g) {
  if (!bdd_check_arg(f) || !bdd_check_arg(var) || !bdd_check_arg(g)) return 0;
  if (bdd_type(m, var) != BDD_TYPE_POSVAR) {
    bdd_warning("bdd_compose: second argument is not a positive variable");
    bdd_ext_inc_node(bdd_node(f));
    return f;
  }
  const int id = bdd_node(var)->id;
  Compose k{id, 0, kOpComposeBase + id};
  return bdd_protected(m, [m, f, g, &k] {
    // Read at every start: a reordering restarts the operation on a new order.
    k.var_index = m->index_of_id[k.var_id];
    return compose_step(m, f, g, &k);
  });
}

bdd bdd_substitute(bdd_manager m, bdd f) {
  if (!bdd_check_arg(f)) return 0;
  const bdd_assoc_* a = m->current_assoc;
  std::int32_t code = a == &m->temp_assoc ? m->temp_op_code-- : kOpAssocBase + a->number;
  const Substitute s{a, code};
  return bdd_protected(m, [m, f, &s] { return substitute_step(m, f, &s); });
}
