// Satisfying cubes: one path to a non-zero terminal, preferring then-branches,
// optionally naming every variable of the current association's support.
#include <algorithm>
#include <cstdint>

#include "bdd/bdd_int.h"

namespace {

bdd satisfy_step(bdd_manager m, bdd f) {
  const bdd_* n = bdd_node(f);
  if (n->id == 0) {
    bdd_temp_inc(f);
    return f;
  }
  const bdd zero = m->zero;
  bdd f1 = bdd_then_of(f);
  if (f1 == zero) return bdd_find(m, n->id, zero, satisfy_step(m, bdd_else_of(f)));
  return bdd_find(m, n->id, satisfy_step(m, f1), zero);
}

struct SupportCube {
  const bdd_assoc_* assoc;
  std::uint16_t* ids;  // the support's variable ids, by increasing index
  int count;
};

// Cube of f that also names the support variables ids[k..count).
bdd support_step(bdd_manager m, bdd f, const SupportCube* s, int k) {
  if (k == s->count) return satisfy_step(m, f);
  const int vid = s->ids[k];
  const unsigned vi = m->index_of_id[vid];
  const bdd_* n = bdd_node(f);
  const unsigned fi = bdd_node_index(m, n);
  const bdd zero = m->zero;
  if (vi < fi) return bdd_find(m, vid, zero, support_step(m, f, s, k + 1));
  const int next = fi == vi ? k + 1 : k;
  bdd f1 = bdd_then_of(f);
  if (f1 == zero) return bdd_find(m, n->id, zero, support_step(m, bdd_else_of(f), s, next));
  return bdd_find(m, n->id, support_step(m, f1, s, next), zero);
}

// Lists the support's variables by increasing index in the current order.
void list_support(bdd_manager m, SupportCube* s) {
  s->count = 0;
  for (int i = 0; i <= s->assoc->last_index && i < m->var_count; ++i) {
    std::uint16_t id = m->id_of_index[i];
    if (s->assoc->values[id] != 0) s->ids[s->count++] = id;
  }
}

}  // namespace

bdd bdd_satisfy(bdd_manager m, bdd f) {
  if (!bdd_check_arg(f)) return 0;
  if (f == m->zero) {
    bdd_warning("bdd_satisfy: argument is false");
    return f;
  }
  return bdd_protected(m, [m, f] { return satisfy_step(m, f); });
}

bdd bdd_satisfy_support(bdd_manager m, bdd f) {
  if (!bdd_check_arg(f)) return 0;
  if (f == m->zero) {
    bdd_warning("bdd_satisfy_support: argument is false");
    return f;
  }
  const bdd_assoc_* a = m->current_assoc;
  std::uint16_t* ids = static_cast<std::uint16_t*>(
      mem_get_block(static_cast<std::size_t>(m->var_count + 1) * sizeof(std::uint16_t)));
  SupportCube s{a, ids, 0};
  bdd r = bdd_protected(m, [m, f, &s] {
    // Listed at every start: a reordering restarts the operation on a new order.
    list_support(m, &s);
    return support_step(m, f, &s, 0);
  });
  mem_free_block(ids);
  return r;
}
