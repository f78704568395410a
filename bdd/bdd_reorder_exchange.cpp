// Exchange of two adjacent variables and of two adjacent variable blocks,
// and the release of the nodes that lose their last count on the way.
#include <utility>

#include "bdd/bdd_int.h"

namespace {

// Removes n from the chain of its table.
void unlink_node(bdd_manager m, bdd_* n) {
  var_table* vt = m->unique_tables[n->id];
  const std::uint32_t off = mem_offset(n);
  std::uint32_t* link = &bdd_table_heads(vt)[bdd_table_bucket(vt, n->then_, n->else_)];
  while (*link != off) {
    if (*link == 0) bdd_fatal("bdd_exchange_aux: how did this happen?");
    link = &bdd_node_at(*link)->next;
  }
  *link = n->next;
  --vt->node_count;
  --m->node_count;
}

// Frees n, already out of its table, and every node left without a count
// when n's edges go. The nodes waiting to be freed are chained through their
// next fields, so no recursion and no memory is needed.
void release_unlinked(bdd_manager m, bdd_* n) {
  n->next = 0;
  std::uint32_t pending = mem_offset(n);
  while (pending != 0) {
    bdd_* d = bdd_node_at(pending);
    pending = d->next;
    if (d->id != 0) {
      for (bdd child : {d->then_, d->else_}) {
        bdd_* c = bdd_node(child);
        --bdd_parents(m, c);
        if (bdd_has_count(m, c)) continue;
        unlink_node(m, c);
        c->next = pending;
        pending = mem_offset(c);
      }
    }
    bdd_free_node_record(m, d);
  }
}

// Puts n, labelled id, at the head of its chain in the table of id (the
// manager's node count already holds it).
void insert_node(bdd_manager m, int id, bdd_* n) {
  var_table* vt = m->unique_tables[id];
  n->id = static_cast<std::uint16_t>(id);
  bdd_table_link(vt, bdd_table_bucket(vt, n->then_, n->else_), n);
  ++vt->node_count;
  if (bdd_table_too_full(vt)) bdd_rehash_table(vt, bdd_table_growth_steps(vt));
}

// The node (id, t, e) with the then-edge made regular, given one parent count;
// a node just created gives one to each of its children.
bdd make_child(bdd_manager m, int id, bdd t, bdd e) {
  if (t == e) {
    ++bdd_parents(m, bdd_node(t));
    return t;
  }
  const bdd neg = t & 1u;
  t ^= neg;
  e ^= neg;
  const long before = m->node_count;
  bdd r = bdd_find_in_table(m, id, t, e);
  if (m->node_count != before) {
    ++bdd_parents(m, bdd_node(t));
    ++bdd_parents(m, bdd_node(e));
  }
  ++bdd_parents(m, bdd_node(r));
  return r ^ neg;
}

// Gives back one parent count of f's node, releasing it when that was its last count.
void give_back(bdd_manager m, bdd f) {
  bdd_* n = bdd_node(f);
  --bdd_parents(m, n);
  if (!bdd_has_count(m, n)) bdd_release_node(m, n);
}

// Keeps each association's last index on the largest index holding an entry
// after the variables u and l (at index and index + 1) changed places.
void follow_assoc(bdd_assoc_* a, int index, int u) {
  if (a->last_index == index) {
    a->last_index = index + 1;
  } else if (a->last_index == index + 1 && a->values[u] == 0) {
    a->last_index = index;
  }
}

void shift_tree(var_block_* b, int delta) {
  b->first_index += delta;
  b->last_index += delta;
  for (int i = 0; i < b->num_children; ++i)
    shift_tree(b->children[i], delta);
}

}  // namespace

void bdd_free_node_record(bdd_manager m, bdd_* n) {
  if (n->id == 0 && m->terminal_free != nullptr) {
    m->terminal_free(m, static_cast<std::int32_t>(n->then_), static_cast<std::int32_t>(n->else_),
                     m->terminal_free_arg);
  }
  mem_free_rec(m->nodes, n);
}

void bdd_release_node(bdd_manager m, bdd_* n) {
  unlink_node(m, n);
  release_unlinked(m, n);
}

void bdd_exchange_vars(bdd_manager m, int index) {
  const int u = m->id_of_index[index];
  const int l = m->id_of_index[index + 1];
  var_table* ut = m->unique_tables[u];

  // Take out of u's table the nodes with a child labelled l; nodes without
  // any count go for good.
  std::uint32_t moving = 0;
  std::uint32_t* heads = bdd_table_heads(ut);
  for (std::int32_t b = 0; b < ut->bucket_count; ++b) {
    std::uint32_t* link = &heads[b];
    while (*link != 0) {
      const std::uint32_t off = *link;
      bdd_* n = bdd_node_at(off);
      const bool dead = !bdd_has_count(m, n);
      if (!dead && bdd_node(n->then_)->id != l && bdd_node(n->else_)->id != l) {
        link = &n->next;
        continue;
      }
      *link = n->next;
      --ut->node_count;
      if (dead) {
        --m->node_count;
        release_unlinked(m, n);
      } else {
        n->next = moving;
        moving = off;
      }
    }
  }

  // Rebuild each of them in place as a node of l over two nodes of u made
  // from the four grandchildren: every handle keeps its function.
  while (moving != 0) {
    bdd_* n = bdd_node_at(moving);
    moving = n->next;
    if (!bdd_has_count(m, n)) bdd_fatal("bdd_exchange_aux: how did this happen?");
    const bdd f1 = n->then_;
    const bdd f0 = n->else_;
    bdd f11, f10, f01, f00;
    bdd_split(f1, l, &f11, &f10);
    bdd_split(f0, l, &f01, &f00);
    const bdd t = make_child(m, u, f11, f01);
    const bdd e = make_child(m, u, f10, f00);
    give_back(m, f1);
    give_back(m, f0);
    n->then_ = t;
    n->else_ = e;
    insert_node(m, l, n);
  }

  ++m->order_changes;
  m->id_of_index[index] = static_cast<std::uint16_t>(l);
  m->id_of_index[index + 1] = static_cast<std::uint16_t>(u);
  m->index_of_id[u] = static_cast<std::uint16_t>(index + 1);
  m->index_of_id[l] = static_cast<std::uint16_t>(index);
  for (bdd_assoc_* a = m->assoc_list; a != nullptr; a = a->next)
    follow_assoc(a, index, u);
  follow_assoc(&m->temp_assoc, index, u);
}

void bdd_exchange_var_blocks(bdd_manager m, var_block_* parent, int i) {
  var_block_* a = parent->children[i];
  var_block_* b = parent->children[i + 1];
  const int first = a->first_index;
  const int na = a->last_index - a->first_index + 1;
  const int nb = b->last_index - b->first_index + 1;
  // Each variable of b in turn climbs over all of a.
  for (int k = 0; k < nb; ++k) {
    for (int j = first + na + k - 1; j >= first + k; --j)
      bdd_exchange_vars(m, j);
  }
  shift_tree(a, nb);
  shift_tree(b, -na);
  std::swap(parent->children[i], parent->children[i + 1]);
}

long bdd_block_nodes(bdd_manager m, const var_block_* b) {
  long nodes = 0;
  for (int i = b->first_index; i <= b->last_index; ++i)
    nodes += m->unique_tables[m->id_of_index[i]]->node_count;
  return nodes;
}
