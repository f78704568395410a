// Start and end of an engine instance, and its simplest accessors.
#include <cstdint>

#include "bdd/bdd_int.h"

namespace {

template <typename T>
T* new_array(int count) {
  std::size_t bytes = static_cast<std::size_t>(count) * sizeof(T);
  void* a = mem_get_block(bytes);
  mem_zero(a, bytes);
  return static_cast<T*>(a);
}

}  // namespace

bdd_manager bdd_init() {
  bdd_manager m = static_cast<bdd_manager>(mem_get_block(sizeof(bdd_manager_)));
  mem_zero(m, sizeof(bdd_manager_));
  m->var_capacity = kStartCapacity;
  m->var_of_id = new_array<bdd>(kStartCapacity + 1);
  m->index_of_id = new_array<std::uint16_t>(kStartCapacity + 1);
  m->index_of_id[0] = kTerminalIndex;
  m->id_of_index = new_array<std::uint16_t>(kStartCapacity);
  for (int i = 0; i < 8; ++i)
    m->rec[i] = mem_new_rec_mgr(8 * (i + 1));
  m->nodes = mem_new_rec_mgr(sizeof(bdd_));
  m->root_block = bdd_new_block(m, -1, 0, 1);
  m->unique_tables = new_array<var_table*>(kStartCapacity + 1);
  m->unique_tables[0] = bdd_new_table(m);
  m->gc_limit = kGcLimitFloor;
  m->canonical_fn = bdd_default_canonical;
  m->transform_fn = bdd_default_transform;
  bdd_init_assocs(m);
  m->temp_op_code = -1;
  bdd_init_cache(m);
  bdd one = bdd_find_in_table(m, 0, static_cast<bdd>(-1), static_cast<bdd>(-1));
  bdd_node(one)->refs = kPermanent;
  m->one = one;
  m->zero = one ^ 1u;
  m->check_countdown = 1;
  return m;
}

void bdd_quit(bdd_manager m) {
  // Node, table, block and entry records all live in the record classes and go
  // with them; only the blocks hanging off records are released one by one.
  for (int id = 0; id <= m->var_count; ++id)
    mem_free_block(bdd_table_heads(m->unique_tables[id]));
  mem_free_block(m->unique_tables);
  bdd_free_cache(m);
  mem_free_block(m->var_of_id);
  mem_free_block(m->index_of_id);
  mem_free_block(m->id_of_index);
  bdd_free_assocs(m);
  bdd_free_block_tree(m, m->root_block);
  mem_free_block(m->reorder_data);
  for (int i = 0; i < 8; ++i)
    mem_free_rec_mgr(m->rec[i]);
  mem_free_rec_mgr(m->nodes);
  mem_free_block(m);
}

bdd bdd_one(bdd_manager m) {
  return m->one;
}

bdd bdd_zero(bdd_manager m) {
  return m->zero;
}

long bdd_vars(bdd_manager m) {
  return m->var_count;
}

long bdd_order_changes(bdd_manager m) {
  return m->order_changes;
}

long bdd_total_size(bdd_manager m) {
  return m->node_count;
}

const char* bdd_version() {
  return "1.0";
}
