// Walks that use the temps byte of nodes as a visit mark between operations:
// the dependency test, the support, and the per-node mark counters.
#include <algorithm>

#include "bdd/bdd_int.h"

namespace {

// Whether f's graph reaches the variable of index i; visited nodes get `mark`.
int depends_walk(bdd_manager m, bdd f, unsigned i, std::uint8_t mark) {
  bdd_* n = bdd_node(f);
  const unsigned ni = bdd_node_index(m, n);
  if (i < ni) return 0;
  if (i == ni) return 1;
  if (n->temps == mark) return 0;
  n->temps = mark;
  if (depends_walk(m, n->then_, i, mark)) return 1;
  return depends_walk(m, n->else_, i, mark);
}

constexpr std::uint8_t kVisited = 1;
constexpr std::uint8_t kListed = 2;  // on a variable's own node: already in the support

// Lists each variable of f's graph once, first met first, through
// emit(variable handle); visited nodes and listed variables are marked.
template <class Emit>
void support_walk(bdd_manager m, bdd f, Emit& emit) {
  bdd_* n = bdd_node(f);
  if (n->id == 0 || (n->temps & kVisited)) return;
  n->temps |= kVisited;
  bdd v = m->var_of_id[n->id];
  bdd_* vn = bdd_node(v);
  if ((vn->temps & kListed) == 0) {
    vn->temps |= kListed;
    emit(v, n);
  }
  support_walk(m, n->then_, emit);
  support_walk(m, n->else_, emit);
}

void support_clear(bdd_manager m, bdd f) {
  bdd_* n = bdd_node(f);
  if (n->id == 0 || (n->temps & kVisited) == 0) return;
  n->temps = 0;
  bdd_node(m->var_of_id[n->id])->temps = 0;
  support_clear(m, n->then_);
  support_clear(m, n->else_);
}

}  // namespace

int bdd_depends_on(bdd_manager m, bdd f, bdd var) {
  if (!bdd_check_arg(f) || !bdd_check_arg(var)) return 0;
  if (bdd_type(m, var) != BDD_TYPE_POSVAR) {
    bdd_warning("bdd_depends_on: second argument is not a positive variable");
    if (bdd_is_terminal(var)) return 1;
  }
  const unsigned i = bdd_index_of(m, var);
  depends_walk(m, f, i, 1);
  return depends_walk(m, f, i, 0);
}

void bdd_support(bdd_manager m, bdd f, bdd* out) {
  int count = 0;
  if (bdd_check_arg(f)) {
    auto list = [out, &count](bdd v, const bdd_*) { out[count++] = v; };
    support_walk(m, f, list);
    support_clear(m, f);
  }
  out[count] = 0;
}

int bdd_support_indexes(bdd_manager m, bdd f, std::uint32_t* out) {
  if (!bdd_check_arg(f)) return 0;
  int count = 0;
  auto list = [m, out, &count](bdd, const bdd_* n) { out[count++] = bdd_node_index(m, n); };
  support_walk(m, f, list);
  support_clear(m, f);
  // Supports are mostly a handful of variables: insertion sort them.
  if (count > 32) {
    std::sort(out, out + count);
  } else {
    for (int k = 1; k < count; ++k) {
      const std::uint32_t v = out[k];
      int j = k;
      for (; j > 0 && out[j - 1] > v; --j)
        out[j] = out[j - 1];
      out[j] = v;
    }
  }
  return count;
}

int bdd_marks_cpt(bdd_manager m, bdd f) {
  if (bdd_type(m, f) != BDD_TYPE_NONTERMINAL) return 0;
  return bdd_node(f)->temps;
}

int bdd_marks_incrementation(bdd_manager m, bdd f) {
  int type = bdd_type(m, f);
  if (type == BDD_TYPE_NONTERMINAL) ++bdd_node(f)->temps;
  return type;
}

int bdd_clear_mark(bdd_manager m, bdd f) {
  int type = bdd_type(m, f);
  if (type == BDD_TYPE_NONTERMINAL) bdd_node(f)->temps = 0;
  return type;
}
