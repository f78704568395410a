// Stable window of three: every three neighbouring children of a reorderable
// block are tried in their six orders and left in the smallest one, keeping
// the present order unless another is strictly smaller, until no window
// changes any more.
#include <algorithm>
#include <utility>

#include "bdd/bdd_int.h"

namespace {

// Offsets inside the window of the five neighbour exchanges that take three
// children through all six orders.
constexpr int kWindowSteps[5] = {0, 1, 0, 1, 0};

// Tries the six orders of the children j, j + 1, j + 2; true when it changed them.
bool window3(bdd_manager m, var_block_* parent, int j) {
  int order[3] = {0, 1, 2};  // the child (by first position) in each place
  int orders[6][3];
  long counts[6];
  std::copy(order, order + 3, orders[0]);
  counts[0] = m->node_count;
  for (int s = 0; s < 5; ++s) {
    const int k = kWindowSteps[s];
    bdd_exchange_var_blocks(m, parent, j + k);
    std::swap(order[k], order[k + 1]);
    std::copy(order, order + 3, orders[s + 1]);
    counts[s + 1] = m->node_count;
  }
  int best = 0;
  for (int s = 1; s < 6; ++s) {
    if (counts[s] < counts[best]) best = s;
  }
  // Bring the best order back, place by place.
  for (int t = 0; t < 3; ++t) {
    int k = t;
    while (order[k] != orders[best][t])
      ++k;
    for (; k > t; --k) {
      bdd_exchange_var_blocks(m, parent, j + k - 1);
      std::swap(order[k - 1], order[k]);
    }
  }
  return best != 0;
}

// The last two children: the exchange is kept only when it saves nodes, so
// that an exchange that changes nothing cannot be undone and redone forever.
bool window2(bdd_manager m, var_block_* parent, int j) {
  const long before = m->node_count;
  bdd_exchange_var_blocks(m, parent, j);
  if (m->node_count < before) return true;
  bdd_exchange_var_blocks(m, parent, j);
  return false;
}

void window_children(bdd_manager m, var_block_* parent) {
  const int count = parent->num_children;
  if (count < 2) return;
  unsigned char* marked = static_cast<unsigned char*>(mem_get_block(count));
  for (int j = 0; j < count; ++j)
    marked[j] = 1;
  bool changed = true;
  while (changed) {
    changed = false;
    for (int j = 0; j < count; ++j) {
      if (!marked[j]) continue;
      bool moved = false;
      if (j + 2 < count) {
        moved = window3(m, parent, j);
      } else if (j + 1 < count) {
        moved = window2(m, parent, j);
      }
      if (!moved) {
        marked[j] = 0;
        continue;
      }
      changed = true;
      for (int k = j - 2; k <= j + 4; ++k) {
        if (k >= 0 && k < count) marked[k] = 1;
      }
    }
  }
  mem_free_block(marked);
}

void window_tree(bdd_manager m, var_block_* b) {
  if (b->reorderable) window_children(m, b);
  for (int i = 0; i < b->num_children; ++i)
    window_tree(m, b->children[i]);
}

void window_method(bdd_manager m) {
  window_tree(m, m->root_block);
}

}  // namespace

void bdd_reorder_stable_window3(bdd_manager m) {
  bdd_reorder_in_frame(m, window_method);
}
