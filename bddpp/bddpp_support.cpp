// Sparse views of a function: the indexes it depends on and the literals of
// a product, in time proportional to the function rather than to the number
// of variables.
#include <algorithm>

#include "bddpp/bddpp_manager.h"

std::vector<long> bddpp_manager::Support_indexes(bdd f) {
  std::vector<long> indexes;
  Support_indexes(f, indexes);
  return indexes;
}

void bddpp_manager::Support_indexes(bdd f, std::vector<long>& indexes) {
  indexes.clear();
  if (f == 0) return;
  // Grows only when variables were added: the room keeps its size.
  support_scratch.resize(static_cast<std::size_t>(Nb_bdd_vars()));
  const int count = bdd_support_indexes(internal_man, f, support_scratch.data());
  indexes.assign(support_scratch.begin(), support_scratch.begin() + count);
}

std::vector<std::pair<long, int>> bddpp_manager::Product_literals(bdd product) {
  std::vector<std::pair<long, int>> literals;
  if (product != 0) walk_product(product, literals);
  return literals;
}

bool bddpp_manager::Cube_literals(bdd f, std::vector<std::pair<long, int>>& literals) {
  literals.clear();
  return f != 0 && walk_product(f, literals);
}

// Follows the branch of each node that is not zero, recording its literal;
// true when every node had a zero branch and the walk ended on one.
bool bddpp_manager::walk_product(bdd product, std::vector<std::pair<long, int>>& literals) {
  bool product_seen = true;
  bdd g = Bdd_dup(product);
  while (!Bdd_is_tautology(g, 0) && !Bdd_is_tautology(g, 1)) {
    const long index = Bdd_if_index(g);
    bdd then_part = Bdd_then(g);
    bdd else_part = Bdd_else(g);
    const bool positive = !Bdd_is_tautology(then_part, 0);
    if (positive && !Bdd_is_tautology(else_part, 0)) product_seen = false;
    literals.emplace_back(index, positive ? 1 : 0);
    Bdd_free(g);
    g = positive ? then_part : else_part;
    Bdd_free(positive ? else_part : then_part);
  }
  product_seen = product_seen && Bdd_is_tautology(g, 1);
  Bdd_free(g);
  return product_seen;
}
