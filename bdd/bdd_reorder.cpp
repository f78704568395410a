// The frame of a reordering (cache flush, parent counts given and taken
// back), the public entry points and the choice of the reordering method.
#include <algorithm>

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
        if (!bdd_has_count(m, n)) {
          *link = n->next;
          --vt->node_count;
          --m->node_count;
          bdd_free_node_record(m, n);
          continue;
        }
        if (n->id != 0) {
          ++bdd_parents(m, bdd_node(n->then_));
          ++bdd_parents(m, bdd_node(n->else_));
        }
        link = &n->next;
      }
    }
  };
  for (int i = 0; i < m->var_count; ++i)
    visit(m->unique_tables[m->id_of_index[i]]);
  visit(m->unique_tables[0]);
}

// The parent counts array, all zero, with an entry for every node there is
// (up to the end of the highest node pool); nodes made later in new pools
// find theirs added on their first use.
void open_parent_counts(bdd_manager m) {
  std::uint32_t end = 0;
  const std::uint32_t pool_bytes =
      static_cast<std::uint32_t>(mem_rec_per_pool(m->nodes) * mem_rec_size(m->nodes));
  for (std::uint32_t pool = mem_rec_first_pool(m->nodes); pool != 0;
       pool = mem_rec_next_pool(pool)) {
    const std::uint32_t records_end = mem_offset(mem_rec_pool_records(pool)) + pool_bytes;
    if (records_end > end) end = records_end;
  }
  bdd_grow_parent_counts(m, end >> 4);
}

// Gives the array back once the counts are taken back (all zero again).
void close_parent_counts(bdd_manager m) {
  mem_free_block(m->parent_counts);
  m->parent_counts = nullptr;
  m->parent_slots = 0;
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
        if (!bdd_has_count(m, n)) bdd_fatal("bdd_nuke_internal_references: what happened?");
        --bdd_parents(m, bdd_node(n->then_));
        --bdd_parents(m, bdd_node(n->else_));
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
  open_parent_counts(m);
  give_parent_counts(m);
  m->reordering = 1;
  method(m);
  m->reordering = 0;
  take_parent_counts_back(m);
  close_parent_counts(m);
}

void bdd_grow_parent_counts(bdd_manager m, std::uint32_t slot) {
  // The largest array one block holds (a block's area is 2^30 bytes less its
  // header); node offsets below 4 GiB need at most 2^28 entries.
  constexpr std::uint32_t kMaxSlots = (std::uint32_t{1} << 28) - 8;
  std::uint32_t count = m->parent_slots;
  while (count <= slot)
    count = count < 1024 ? 1024 : std::min(2 * count, std::max(kMaxSlots, slot + 1));
  std::uint32_t* counts = static_cast<std::uint32_t*>(
      mem_resize_block(m->parent_counts, static_cast<std::size_t>(count) * sizeof(std::uint32_t)));
  mem_zero(counts + m->parent_slots,
           static_cast<std::size_t>(count - m->parent_slots) * sizeof(std::uint32_t));
  m->parent_counts = counts;
  m->parent_slots = count;
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
