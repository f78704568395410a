// Variables: creation at any place of the order, lookup by index and id, and
// the tree of variable blocks that follows every insertion.
#include <cstdint>

#include "bdd/bdd_int.h"

namespace {

void* resize_array(void* a, int old_count, int new_count, std::size_t item) {
  void* r = mem_resize_block(a, static_cast<std::size_t>(new_count) * item);
  char* bytes = static_cast<char*>(r);
  mem_zero(bytes + static_cast<std::size_t>(old_count) * item,
           static_cast<std::size_t>(new_count - old_count) * item);
  return r;
}

void grow_capacity(bdd_manager m) {
  int old_cap = m->var_capacity;
  int cap = old_cap * 2;
  if (cap > kMaxCapacity) cap = kMaxCapacity;
  m->var_of_id = static_cast<bdd*>(resize_array(m->var_of_id, old_cap + 1, cap + 1, sizeof(bdd)));
  m->index_of_id = static_cast<std::uint16_t*>(
      resize_array(m->index_of_id, old_cap + 1, cap + 1, sizeof(std::uint16_t)));
  m->id_of_index = static_cast<std::uint16_t*>(
      resize_array(m->id_of_index, old_cap, cap, sizeof(std::uint16_t)));
  m->unique_tables = static_cast<var_table**>(
      resize_array(m->unique_tables, old_cap + 1, cap + 1, sizeof(var_table*)));
  bdd_resize_assocs(m, old_cap, cap);
  m->var_capacity = cap;
}

// Moves a block and its descendants one place down the order.
void shift_block(var_block_* b) {
  ++b->first_index;
  ++b->last_index;
  for (int i = 0; i < b->num_children; ++i)
    shift_block(b->children[i]);
}

// Position of the child whose range holds index, or where a block for it goes.
int locate_child(const var_block_* b, int index) {
  int lo = 0;
  int hi = b->num_children;
  // A variable appended after every block: no search.
  if (hi == 0 || b->children[hi - 1]->last_index < index) return hi;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    const var_block_* c = b->children[mid];
    if (c->last_index < index) {
      lo = mid + 1;
    } else if (c->first_index > index) {
      hi = mid;
    } else {
      return mid;
    }
  }
  return lo;
}

// A block's array of children has room for a power of two of them, so that
// adding one resizes it only when it is full.
void insert_leaf(bdd_manager m, var_block_* b, int pos, int index) {
  int n = b->num_children;
  if ((n & (n - 1)) == 0)
    b->children = static_cast<var_block_**>(mem_resize_block(
        b->children, static_cast<std::size_t>(n == 0 ? 1 : 2 * n) * sizeof(var_block_*)));
  for (int i = n; i > pos; --i) {
    b->children[i] = b->children[i - 1];
    shift_block(b->children[i]);
  }
  b->children[pos] = bdd_new_block(m, index, index, 0);
  b->num_children = n + 1;
}

void update_blocks(bdd_manager m, var_block_* b, int index) {
  if (b->first_index >= index) {
    shift_block(b);
    return;
  }
  if (b->last_index < index) return;
  ++b->last_index;
  int pos = locate_child(b, index);
  if (pos >= b->num_children || b->children[pos]->first_index == index) {
    insert_leaf(m, b, pos, index);
    return;
  }
  for (int i = pos; i < b->num_children; ++i)
    update_blocks(m, b->children[i], index);
}

bdd new_var_near(bdd_manager m, bdd var, int after, const char* warning) {
  if (var == 0) return 0;
  int type = bdd_type(m, var);
  if (type != BDD_TYPE_POSVAR) {
    bdd_warning(warning);
    if (bdd_is_terminal(var)) return bdd_new_var(m, m->var_count);
  }
  return bdd_new_var(m, static_cast<int>(bdd_index_of(m, var)) + after);
}

// Gives variable `id` its unique table and its permanent node, and places
// it at `index` in the maps between ids and indexes.
bdd make_var(bdd_manager m, int id, int index) {
  m->unique_tables[id] = bdd_new_table(m);
  bdd v = bdd_find_in_table_inline(m, id, m->one, m->zero);
  bdd_node(v)->refs = kPermanent;
  m->var_of_id[id] = v;
  m->index_of_id[id] = static_cast<std::uint16_t>(index);
  m->id_of_index[index] = static_cast<std::uint16_t>(id);
  return v;
}

}  // namespace

var_block_* bdd_new_block(bdd_manager m, int first, int last, int reorderable) {
  var_block_* b = static_cast<var_block_*>(mem_new_rec(bdd_rec_mgr(m, 24)));
  b->children = nullptr;
  b->num_children = 0;
  b->reorderable = reorderable;
  b->first_index = first;
  b->last_index = last;
  return b;
}

void bdd_free_block_tree(bdd_manager m, var_block_* b) {
  for (int i = 0; i < b->num_children; ++i)
    bdd_free_block_tree(m, b->children[i]);
  mem_free_block(b->children);
  mem_free_rec(bdd_rec_mgr(m, 24), b);
}

bdd bdd_new_var(bdd_manager m, int index) {
  if (m->var_count >= kMaxVars) bdd_fatal("bdd_new_var: no more indexes");
  if (index < 0 || index > m->var_count) bdd_fatal("bdd_new_var: index out of range");
  if (m->var_count == m->var_capacity) grow_capacity(m);
  if (index < m->var_count) {
    ++m->order_changes;
    for (int id = 1; id <= m->var_count; ++id) {
      if (m->index_of_id[id] >= index) ++m->index_of_id[id];
    }
    bdd_shift_assocs(m, index);
    for (int i = m->var_count; i > index; --i)
      m->id_of_index[i] = m->id_of_index[i - 1];
  }
  int id = ++m->var_count;
  bdd v = make_var(m, id, index);
  update_blocks(m, m->root_block, index);
  return v;
}

bdd bdd_new_var_first(bdd_manager m) {
  return bdd_new_var(m, 0);
}

// The common case of bdd_new_var, a variable appended after the last one,
// without the shifts of an insertion. It makes the same memory requests in
// the same order, and the root gets the same new leaf: an appended index is
// past every child of the root, so update_blocks would only append it there.
bdd bdd_new_var_last(bdd_manager m) {
  if (m->var_count >= kMaxVars) bdd_fatal("bdd_new_var: no more indexes");
  if (m->var_count == m->var_capacity) grow_capacity(m);
  const int index = m->var_count;
  const int id = ++m->var_count;
  bdd v = make_var(m, id, index);
  var_block_* root = m->root_block;
  const int n = root->num_children;
  if (root->first_index < index && root->last_index == index &&
      (n == 0 || root->children[n - 1]->last_index < index)) {
    ++root->last_index;
    insert_leaf(m, root, n, index);
  } else {
    update_blocks(m, root, index);
  }
  return v;
}

bdd bdd_new_var_before(bdd_manager m, bdd var) {
  return new_var_near(m, var, 0, "bdd_new_var_before: argument is not a positive variable");
}

bdd bdd_new_var_after(bdd_manager m, bdd var) {
  return new_var_near(m, var, 1, "bdd_new_var_after: argument is not a positive variable");
}

bdd bdd_var_with_index(bdd_manager m, long index) {
  if (index < 0 || index >= m->var_count) return 0;
  return m->var_of_id[m->id_of_index[index]];
}

bdd bdd_var_with_id(bdd_manager m, long id) {
  if (id < 1 || id > m->var_count) return 0;
  return m->var_of_id[id];
}

var_block bdd_root_block(bdd_manager m) {
  return m->root_block;
}
