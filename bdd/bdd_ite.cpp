// If-then-else and its two specialised recursions (conjunction and
// equivalence), and the public connectives built on them. All three store
// their results under the if-then-else key of the same function.
#include <utility>

#include "bdd/bdd_int.h"

namespace {

bdd ite_public(bdd_manager m, bdd f, bdd g, bdd h) {
  return bdd_protected(m, [m, f, g, h] { return bdd_ite_step(m, f, g, h); });
}

// The function with cofactors t and e at variable id. When they are those
// of an operand u (u1, u0, split at id), that operand is the function: a
// conjunction often leaves one operand as it is, and its node need not be
// looked up.
inline bdd result_of(bdd_manager m, int id, bdd t, bdd e, bdd u, bdd u1, bdd u0, bdd v, bdd v1,
                     bdd v0) {
  if (t == v1 && e == v0) return v;
  if (t == u1 && e == u0) return u;
  return bdd_find_raw(m, id, t, e);
}

// Flips the complement bit of a result, leaving null alone.
inline bdd negate(bdd f) {
  return f == 0 ? 0 : f ^ 1u;
}

}  // namespace

// The three recursions take no temporary counts: a result waiting for its
// sibling is held by a shadow record, and a cache hit or a node lookup leaves
// the node's counts alone. The steps add the one temporary count their
// callers expect.

bdd bdd_ite_rec(bdd_manager m, bdd f, bdd g, bdd h) {
  const bdd one = m->one;
  const bdd zero = m->zero;
  if (bdd_is_terminal(f)) return f == one ? g : h;
  if (bdd_same_node(g, f)) g = g == f ? one : zero;
  if (bdd_same_node(h, f)) h = h == f ? zero : one;
  const bool g_terminal = bdd_is_terminal(g);
  const bool h_terminal = bdd_is_terminal(h);
  if (g_terminal) {
    if (!h_terminal) {
      if (g == zero) return bdd_and_rec(m, f ^ 1u, h);
      return bdd_and_rec(m, f ^ 1u, h ^ 1u) ^ 1u;
    }
    if (g == h) return g;
    return g == one ? f : f ^ 1u;
  }
  if (bdd_same_node(h, g)) {
    if (h != g) return bdd_xnor_rec(m, f, g);
    return g;
  }
  if (h_terminal) {
    if (h == zero) return bdd_and_rec(m, f, g);
    return bdd_and_rec(m, f, g ^ 1u) ^ 1u;
  }
  if (bdd_is_complemented(f)) {
    f ^= 1u;
    std::swap(g, h);
  }
  bdd neg = 0;
  if (bdd_is_complemented(g)) {
    g ^= 1u;
    h ^= 1u;
    neg = 1;
  }
  bdd r;
  cache_bucket* cb = bdd_cache_bucket_of(m, bdd_hash3(f, g, h));
  if (!bdd_cache_lookup31_raw(m, cb, kCacheTagIte, f, g, h, &r)) {
    const bdd_* fn = bdd_node(f);
    const bdd_* gn = bdd_node(g);
    const bdd_* hn = bdd_node(h);
    int top = fn->id;
    unsigned top_index = bdd_node_index(m, fn);
    if (bdd_node_index(m, gn) <= top_index) {
      top = gn->id;
      top_index = bdd_node_index(m, gn);
    }
    if (bdd_node_index(m, hn) < top_index) top = hn->id;
    bdd f1, f0, g1, g0, h1, h0;
    bdd_split(f, top, &f1, &f0);
    bdd_split(g, top, &g1, &g0);
    bdd_split(h, top, &h1, &h0);
    bdd_shadow held;
    bdd_shadow_push(m, &held, bdd_ite_rec(m, f1, g1, h1));
    bdd r0 = bdd_ite_rec(m, f0, g0, h0);
    bdd_shadow_pop(m, &held);
    r = result_of(m, top, held.value, r0, g, g1, g0, h, h1, h0);
    bdd_cache_insert31(m, kCacheTagIte, f, g, h, r);
  }
  return r ^ neg;
}

// The conjunction and equivalence recursions test the constants by their
// handles and probe the cache before reading any node, so that a hit touches
// only the cache. Other terminals are found after a miss: no entry is ever
// stored for them, so the probe cannot answer for one. Each recursion is cut
// in two: the tests and the probe, inlined at every call, and the expansion
// of a miss, a function of its own; so the many calls answered by a constant
// or by the cache cost no call frame.

namespace {

bdd and_expand(bdd_manager m, bdd f, bdd g, bdd a, bdd b, cache_bucket* cb);
bdd xnor_expand(bdd_manager m, bdd f, bdd g, bdd a, bdd b, bdd neg, cache_bucket* cb);

// The bucket of a key found before a recursion, found again when the
// recursion replaced the cache's bucket array.
inline cache_bucket* bucket_after(bdd_manager m, cache_bucket* b, std::uint32_t epoch,
                                  std::uint32_t k0, std::uint32_t k1, std::uint32_t k2) {
  return m->cache_epoch == epoch ? b : bdd_cache_bucket_of(m, bdd_hash3(k0, k1, k2));
}

// AND(f, g); cb, when not null, is the bucket of the key (f, g in key
// order, zero), already computed by the caller.
__attribute__((always_inline)) inline bdd and_quick(bdd_manager m, bdd f, bdd g,
                                                    cache_bucket* cb = nullptr) {
  const bdd one = m->one;
  const bdd zero = m->zero;
  if (f == zero || g == zero) return zero;
  if (f == one) return g;
  if (g == one) return f;
  if (bdd_same_node(f, g)) return f != g ? zero : f;
  bdd a = f;
  bdd b = g;
  if (a > b) std::swap(a, b);
  if (cb == nullptr) cb = bdd_cache_bucket_of(m, bdd_hash3(a, b, zero));
  bdd r;
  if (bdd_cache_lookup31_raw(m, cb, kCacheTagIte, a, b, zero, &r)) return r;
  return and_expand(m, f, g, a, b, cb);
}

// The miss of AND(f, g) with a <= b its operands in key order and cb the
// key's bucket.
__attribute__((noinline)) bdd and_expand(bdd_manager m, bdd f, bdd g, bdd a, bdd b,
                                         cache_bucket* cb) {
  const bdd zero = m->zero;
  const bdd_* fn = bdd_node(f);
  const bdd_* gn = bdd_node(g);
  if (fn->id == 0) return g;
  if (gn->id == 0) return f;
  int top = bdd_top_id2(m, fn, gn);
  bdd a1, a0, b1, b0;
  bdd_split(a, top, &a1, &a0);
  bdd_split(b, top, &b1, &b0);
  // The else-pair's bucket and nodes are read after the then-recursion
  // returns.
  const std::uint32_t epoch = m->cache_epoch;
  const bdd lo0 = a0 < b0 ? a0 : b0;
  const bdd hi0 = a0 < b0 ? b0 : a0;
  cache_bucket* eb = bdd_cache_bucket_of(m, bdd_hash3(lo0, hi0, zero));
  __builtin_prefetch(eb);
  __builtin_prefetch(bdd_node(a0));
  __builtin_prefetch(bdd_node(b0));
  bdd_shadow held;
  bdd_shadow_push(m, &held, and_quick(m, a1, b1));
  bdd r0 = and_quick(m, a0, b0, bucket_after(m, eb, epoch, lo0, hi0, zero));
  bdd_shadow_pop(m, &held);
  const bdd r = result_of(m, top, held.value, r0, a, a1, a0, b, b1, b0);
  bdd_cache_insert31_in(m, bucket_after(m, cb, epoch, a, b, zero), kCacheTagIte, a, b, zero, r);
  return r;
}

// XNOR(f, g); cb, when not null, is the bucket of the key (f, g in key
// order with the complement taken off the second, its complement), already
// computed by the caller.
__attribute__((always_inline)) inline bdd xnor_quick(bdd_manager m, bdd f, bdd g,
                                                     cache_bucket* cb = nullptr) {
  const bdd one = m->one;
  const bdd zero = m->zero;
  if (f == one) return g;
  if (f == zero) return g ^ 1u;
  if (g == one) return f;
  if (g == zero) return f ^ 1u;
  if (bdd_same_node(f, g)) return f == g ? one : zero;
  bdd a = f;
  bdd b = g;
  if (a > b) std::swap(a, b);
  bdd neg = 0;
  if (bdd_is_complemented(b)) {
    b ^= 1u;
    neg = 1;
  }
  if (cb == nullptr) cb = bdd_cache_bucket_of(m, bdd_hash3(a, b, b ^ 1u));
  bdd r;
  if (bdd_cache_lookup31_raw(m, cb, kCacheTagIte, a, b, b ^ 1u, &r)) return r ^ neg;
  return xnor_expand(m, f, g, a, b, neg, cb);
}

// The miss of XNOR(f, g) with a <= b its operands in key order, b regular,
// neg the complement taken off b and cb the key's bucket.
__attribute__((noinline)) bdd xnor_expand(bdd_manager m, bdd f, bdd g, bdd a, bdd b, bdd neg,
                                          cache_bucket* cb) {
  const bdd_* fn = bdd_node(f);
  const bdd_* gn = bdd_node(g);
  if (fn->id == 0) return g ^ 1u;
  if (gn->id == 0) return f ^ 1u;
  int top = bdd_top_id2(m, fn, gn);
  bdd a1, a0, b1, b0;
  bdd_split(a, top, &a1, &a0);
  bdd_split(b, top, &b1, &b0);
  const std::uint32_t epoch = m->cache_epoch;
  const bdd lo0 = a0 < b0 ? a0 : b0;
  const bdd hi0 = (a0 < b0 ? b0 : a0) & ~1u;
  cache_bucket* eb = bdd_cache_bucket_of(m, bdd_hash3(lo0, hi0, hi0 ^ 1u));
  __builtin_prefetch(eb);
  bdd_shadow held;
  bdd_shadow_push(m, &held, xnor_quick(m, a1, b1));
  bdd r0 = xnor_quick(m, a0, b0, bucket_after(m, eb, epoch, lo0, hi0, hi0 ^ 1u));
  bdd_shadow_pop(m, &held);
  bdd r = bdd_find_raw(m, top, held.value, r0);
  bdd_cache_insert31_in(m, bucket_after(m, cb, epoch, a, b, b ^ 1u), kCacheTagIte, a, b, b ^ 1u, r);
  return r ^ neg;
}

}  // namespace

bdd bdd_and_rec(bdd_manager m, bdd f, bdd g) {
  return and_quick(m, f, g);
}

bdd bdd_xnor_rec(bdd_manager m, bdd f, bdd g) {
  return xnor_quick(m, f, g);
}

bdd bdd_ite_step(bdd_manager m, bdd f, bdd g, bdd h) {
  return bdd_with_temp(bdd_ite_rec(m, f, g, h));
}

bdd bdd_and_step(bdd_manager m, bdd f, bdd g) {
  return bdd_with_temp(bdd_and_rec(m, f, g));
}

bdd bdd_xnor_step(bdd_manager m, bdd f, bdd g) {
  return bdd_with_temp(bdd_xnor_rec(m, f, g));
}

bdd bdd_ite(bdd_manager m, bdd f, bdd g, bdd h) {
  if (!bdd_check_arg(f) || !bdd_check_arg(g) || !bdd_check_arg(h)) return 0;
  return ite_public(m, f, g, h);
}

bdd bdd_var_ite(bdd_manager m, long index, bdd t, bdd e) {
  const bdd v = bdd_var_with_index(m, index);
  if (v == 0 || !bdd_check_arg(t) || !bdd_check_arg(e)) return bdd_ite(m, v, t, e);
  // The order is read at every start of the step: a reordering restarts it.
  return bdd_protected(m, [m, v, t, e] {
    const bdd_* vn = bdd_node(v);
    const unsigned i = bdd_node_index(m, vn);
    if ((bdd_is_terminal(t) || i < bdd_index_of(m, t)) &&
        (bdd_is_terminal(e) || i < bdd_index_of(m, e)))
      return bdd_with_temp(bdd_find_raw(m, vn->id, t, e));
    return bdd_ite_step(m, v, t, e);
  });
}

bdd bdd_and(bdd_manager m, bdd f, bdd g) {
  if (!bdd_check_arg(f) || !bdd_check_arg(g)) return 0;
  return ite_public(m, f, g, m->zero);
}

bdd bdd_or(bdd_manager m, bdd f, bdd g) {
  if (!bdd_check_arg(f) || !bdd_check_arg(g)) return 0;
  return ite_public(m, f, m->one, g);
}

bdd bdd_xor(bdd_manager m, bdd f, bdd g) {
  if (!bdd_check_arg(f) || !bdd_check_arg(g)) return 0;
  return ite_public(m, f, g ^ 1u, g);
}

bdd bdd_nand(bdd_manager m, bdd f, bdd g) {
  return negate(bdd_and(m, f, g));
}

bdd bdd_nor(bdd_manager m, bdd f, bdd g) {
  return negate(bdd_or(m, f, g));
}

bdd bdd_xnor(bdd_manager m, bdd f, bdd g) {
  return negate(bdd_xor(m, f, g));
}
