// Unique tables: the prime sizes, lookup and insertion of nodes, rehashing,
// bdd_find with its reference transfer, and terminal nodes.
#include <cstdint>

#include "bdd/bdd_int.h"

namespace {

// Chain heads and filter bytes of count buckets, all zero.
std::uint32_t* new_heads(std::int32_t count) {
  std::size_t bytes = bdd_table_block_bytes(count);
  void* heads = mem_get_block(bytes);
  mem_zero(heads, bytes);
  return static_cast<std::uint32_t*>(heads);
}

}  // namespace

var_table* bdd_new_table(bdd_manager m) {
  var_table* vt = static_cast<var_table*>(mem_new_rec(bdd_rec_mgr(m, 16)));
  vt->size_index = kVarTableStartIndex;
  vt->bucket_count = bdd_primes[kVarTableStartIndex];
  vt->node_count = 0;
  vt->buckets = mem_offset(new_heads(vt->bucket_count));
  return vt;
}

void bdd_free_table(bdd_manager m, var_table* vt) {
  mem_free_block(bdd_table_heads(vt));
  mem_free_rec(bdd_rec_mgr(m, 16), vt);
}

void bdd_rehash_table(var_table* vt, int step) {
  int index = vt->size_index + step;
  if (index > kVarTableMaxIndex) index = kVarTableMaxIndex;
  if (index < 0 || index == vt->size_index) return;
  std::uint32_t* old_heads = bdd_table_heads(vt);
  std::int32_t old_count = vt->bucket_count;
  vt->size_index = index;
  vt->bucket_count = bdd_primes[index];
  vt->buckets = mem_offset(new_heads(vt->bucket_count));
  for (std::int32_t i = 0; i < old_count; ++i) {
    bdd_prefetch_head(old_heads, i, old_count);
    std::uint32_t off = old_heads[i];
    while (off != 0) {
      bdd_* n = bdd_node_at(off);
      std::uint32_t next = n->next;
      bdd_table_link(vt, bdd_table_bucket(vt, n->then_, n->else_), n);
      off = next;
    }
  }
  mem_free_block(old_heads);
}

bdd bdd_new_node_in_table(bdd_manager m, int id, bdd t, bdd e, std::uint32_t b) {
  var_table* vt = m->unique_tables[id];
  bdd_* n = static_cast<bdd_*>(mem_new_rec(m->nodes));
  n->id = static_cast<std::uint16_t>(id);
  n->refs = 0;
  n->temps = 0;
  n->then_ = t;
  n->else_ = e;
  bdd_table_link(vt, b, n);
  const std::uint32_t off = mem_offset(n);
  ++vt->node_count;
  ++m->node_count;
  if (bdd_table_too_full(vt)) bdd_rehash_table(vt, bdd_table_growth_steps(vt));
  return off;
}

bdd bdd_find_in_table(bdd_manager m, int id, bdd t, bdd e) {
  return bdd_find_in_table_inline(m, id, t, e);
}

bdd bdd_find(bdd_manager m, int id, bdd t, bdd e) {
  return bdd_find_inline(m, id, t, e);
}

int bdd_default_canonical(bdd_manager, std::int32_t a, std::int32_t b, void*) {
  return a > 0 || (a == 0 && b > 0);
}

void bdd_default_transform(bdd_manager, std::int32_t a, std::int32_t b, std::int32_t* ra,
                           std::int32_t* rb, void*) {
  std::uint32_t ua = static_cast<std::uint32_t>(a);
  std::uint32_t ub = static_cast<std::uint32_t>(b);
  if (ub != 0) {
    *ra = static_cast<std::int32_t>(~ua);
    *rb = static_cast<std::int32_t>(0u - ub);
  } else {
    *ra = static_cast<std::int32_t>(0u - ua);
    *rb = 0;
  }
}

bdd bdd_find_terminal(bdd_manager m, std::int32_t v1, std::int32_t v2) {
  bdd r;
  if (m->canonical_fn(m, v1, v2, m->transform_arg) != 0) {
    std::int32_t a, b;
    m->transform_fn(m, v1, v2, &a, &b, m->transform_arg);
    r = bdd_find_in_table(m, 0, static_cast<bdd>(a), static_cast<bdd>(b)) ^ 1u;
  } else {
    r = bdd_find_in_table(m, 0, static_cast<bdd>(v1), static_cast<bdd>(v2));
  }
  bdd_temp_inc(r);
  if (--m->check_countdown == 0) bdd_check(m);
  return r;
}

void bdd_make_external(bdd_manager, bdd f) {
  bdd_* n = bdd_node(f);
  bdd_ext_inc_node(n);
  if (n->refs != kPermanent) --n->temps;
}
