// Sifting: each child of a reorderable block in turn travels through the
// positions of its siblings and settles where the node count was least. The
// hybrid method is sifting whose growth factor follows the previous savings.
#include "bdd/bdd_int.h"

namespace {

constexpr double kSiftGrowth = 2.0;
// Below this average number of nodes per variable a block is not worth moving.
constexpr double kSiftMinAverage = 2.0;
// Below this node count the hybrid method sifts with the full growth factor.
constexpr long kHybridSmall = 10000;

// Moves the child at position from to position to, one neighbour at a time.
void move_child(bdd_manager m, var_block_* parent, int from, int to) {
  for (; from < to; ++from)
    bdd_exchange_var_blocks(m, parent, from);
  for (; from > to; --from)
    bdd_exchange_var_blocks(m, parent, from - 1);
}

// Moves the child at position start down, back up and on upwards while the
// node count stays within the bound, then leaves it at the best position seen.
void sift_child(bdd_manager m, var_block_* parent, int start, double growth) {
  long bound = static_cast<long>(static_cast<double>(m->node_count) * growth);
  if (m->node_limit > 0 && m->node_limit < bound) bound = m->node_limit;
  const int last = parent->num_children - 1;
  long best = m->node_count;
  int best_pos = start;
  int pos = start;
  auto note = [&]() {
    if (m->node_count < best) {
      best = m->node_count;
      best_pos = pos;
    }
  };
  while (pos < last && m->node_count <= bound) {
    bdd_exchange_var_blocks(m, parent, pos);
    ++pos;
    note();
  }
  move_child(m, parent, pos, start);
  pos = start;
  while (pos > 0 && m->node_count <= bound) {
    bdd_exchange_var_blocks(m, parent, pos - 1);
    --pos;
    note();
  }
  move_child(m, parent, pos, best_pos);
}

double average_nodes(bdd_manager m, const var_block_* b) {
  return static_cast<double>(bdd_block_nodes(m, b)) / (b->last_index - b->first_index + 1);
}

// Sifts the children of parent, the most crowded first, until the most
// crowded one left holds fewer than two nodes per variable.
void sift_children(bdd_manager m, var_block_* parent, double growth) {
  const int count = parent->num_children;
  if (count < 2) return;
  // A block keeps its inner order, so the id of its first variable names it
  // wherever it moves.
  const std::size_t bytes = static_cast<std::size_t>(m->var_count) + 1;
  unsigned char* sifted = static_cast<unsigned char*>(mem_get_block(bytes));
  mem_zero(sifted, bytes);
  for (;;) {
    int pick = -1;
    double most = 0;
    for (int i = 0; i < count; ++i) {
      const var_block_* c = parent->children[i];
      if (sifted[m->id_of_index[c->first_index]]) continue;
      double average = average_nodes(m, c);
      if (pick < 0 || average > most) {
        pick = i;
        most = average;
      }
    }
    if (pick < 0 || most < kSiftMinAverage) break;
    sifted[m->id_of_index[parent->children[pick]->first_index]] = 1;
    sift_child(m, parent, pick, growth);
  }
  mem_free_block(sifted);
}

void sift_tree(bdd_manager m, var_block_* b, double growth) {
  if (b->reorderable) sift_children(m, b, growth);
  for (int i = 0; i < b->num_children; ++i)
    sift_tree(m, b->children[i], growth);
}

void sift_method(bdd_manager m) {
  bdd_sift_tree(m, kSiftGrowth);
}

// Uses the factor stored by bdd_dynamic_reordering when the hybrid method is
// the engine's method; called on its own it sifts with the full factor.
void hybrid_method(bdd_manager m) {
  double* stored =
      m->reorder_fn == bdd_reorder_hybrid ? static_cast<double*>(m->reorder_data) : nullptr;
  const long before = m->node_count;
  double growth = kSiftGrowth;
  if (stored != nullptr && before >= kHybridSmall && *stored <= kSiftGrowth) growth = *stored;
  bdd_sift_tree(m, growth);
  if (stored != nullptr) {
    *stored = 1.0 + 2.0 * static_cast<double>(before - m->node_count) / static_cast<double>(before);
  }
}

}  // namespace

void bdd_sift_tree(bdd_manager m, double growth) {
  sift_tree(m, m->root_block, growth);
}

void bdd_reorder_sift(bdd_manager m) {
  bdd_reorder_in_frame(m, sift_method);
}

void bdd_reorder_hybrid(bdd_manager m) {
  bdd_reorder_in_frame(m, hybrid_method);
}
