// The frame of a reordering (cache flush, parent counts given and taken
// back), the public entry points and the choice of the reordering method.
#include "bdd/bdd_int.h"

namespace {

// Frees the nodes without any count and gives one parent count per edge of
// every other inner node. Tables are visited top variable first, then the
// terminals, so a node has every count it will get when it is reached.
void give_parent_counts(bdd_manager m) {
  auto visit = [m](var_table* vt) {
    std::uint32_t* heads = bdd_table_heads(vt);
    for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
      std::uint32_t* link = &heads[b];
      while (*link != 0) {
        bdd_* n = bdd_node_at(*link);
        if (!bdd_has_count(n)) {
          *link = n->next;
          --vt->node_count;
          --m->node_count;
          bdd_free_node_record(m, n);
          continue;
        }
        if (n->id != 0) {
          ++bdd_node(n->then_)->parents;
          ++bdd_node(n->else_)->parents;
        }
        link = &n->next;
      }
    }
  };
  for (int i = 0; i < m->var_count; ++i)
    visit(m->unique_tables[m->id_of_index[i]]);
  visit(m->unique_tables[0]);
}

// Takes the parent counts back, bottom variable first: a node reached before
// its parents must still hold a count of some kind.
void take_parent_counts_back(bdd_manager m) {
  for (int i = m->var_count - 1; i >= 0; --i) {
    var_table* vt = m->unique_tables[m->id_of_index[i]];
    const std::uint32_t* heads = bdd_table_heads(vt);
    for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
      for (std::uint32_t off = heads[b]; off != 0;) {
        bdd_* n = bdd_node_at(off);
        if (!bdd_has_count(n)) bdd_fatal("bdd_nuke_internal_references: what happened?");
        --bdd_node(n->then_)->parents;
        --bdd_node(n->else_)->parents;
        off = n->next;
      }
    }
  }
}

}  // namespace

void bdd_reorder_in_frame(bdd_manager m, bdd_reorder_fn method) {
  if (m->reordering) {
    method(m);
    return;
  }
  bdd_flush_all(m);
  give_parent_counts(m);
  m->reordering = 1;
  method(m);
  m->reordering = 0;
  take_parent_counts_back(m);
}

void bdd_run_reorder(bdd_manager m) {
  // Results held by shadow records keep their nodes through the reordering
  // with a temporary count, which the reordering never touches.
  for (bdd_shadow* s = m->shadow; s != nullptr; s = s->up)
    bdd_temp_inc(s->value);
  bdd_reorder_in_frame(m, m->reorder_fn);
  for (bdd_shadow* s = m->shadow; s != nullptr; s = s->up)
    bdd_temp_dec(s->value);
}

void bdd_reorder(bdd_manager m) {
  if (m->reordering) return;
  bdd_gc(m);
  if (m->reorder_fn != nullptr) bdd_run_reorder(m);
}

void bdd_dynamic_reordering(bdd_manager m, bdd_reorder_fn method) {
  mem_free_block(m->reorder_data);
  m->reorder_data = nullptr;
  m->reorder_fn = method;
  if (method == bdd_reorder_hybrid) {
    double* factor = static_cast<double*>(mem_get_block(sizeof(double)));
    *factor = 2.0;
    m->reorder_data = factor;
  }
}

void bdd_var_block_reorderable(bdd_manager, var_block block, int reorderable) {
  if (block != nullptr) block->reorderable = reorderable != 0;
}
