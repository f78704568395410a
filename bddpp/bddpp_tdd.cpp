// Prime implicants through the ternary decision tree: every path chooses,
// for each variable from the top, the positive cofactor, the negative one or
// the part that needs neither; paths that end in one are implicants.
#include <cstdlib>
#include <iostream>

#include "bddpp/bddpp_manager.h"

Tdd::Tdd(bddpp_manager* man, bdd f) : pbddman(man) {
  if (man == nullptr) {
    std::cerr << "in Tdd::Tdd() : error: bdd manager not yet created !" << std::endl;
    return;
  }
  if (f == 0) return;
  if (man->Bdd_if_index(f) < 0) {
    node_var = man->Bdd_dup(f);
    return;
  }
  node_var = man->Bdd_if(f);
  bdd positive = man->Bdd_then(f);
  bdd negative = man->Bdd_else(f);
  bdd both = man->Bdd_and(positive, negative);
  positive_son = new Tdd(man, positive);
  negative_son = new Tdd(man, negative);
  dontcare_son = new Tdd(man, both);
  man->Bdd_free(positive);
  man->Bdd_free(negative);
  man->Bdd_free(both);
}

Tdd::~Tdd() {
  delete positive_son;
  delete negative_son;
  delete dontcare_son;
  if (pbddman != nullptr && node_var != 0) pbddman->Bdd_free(node_var);
}

int Tdd::Bdd_implicants_loc(bdd cube, int count, bdd* out) {
  if (pbddman == nullptr || node_var == 0) return count;
  if (positive_son == nullptr) {
    if (pbddman->Bdd_is_tautology(node_var, 0)) return count;
    // The cube is an implicant; it replaces the first smaller one found.
    for (int i = 0; i < count; ++i) {
      if (pbddman->Bdd_imply(out[i], cube)) {
        pbddman->Bdd_free(out[i]);
        out[i] = pbddman->Bdd_dup(cube);
        return count;
      }
    }
    if (count + 1 > kBddppMaxProducts) {
      std::cerr << "error in Tdd::Bdd_implicants_loc() " << std::endl;
      std::cerr << "excessive number of products ..." << std::endl;
      std::exit(1);
    }
    out[count] = pbddman->Bdd_dup(cube);
    return count + 1;
  }
  bdd with_var = pbddman->Bdd_and(cube, node_var);
  count = positive_son->Bdd_implicants_loc(with_var, count, out);
  pbddman->Bdd_free(with_var);
  bdd not_var = pbddman->Bdd_not(node_var);
  bdd without_var = pbddman->Bdd_and(cube, not_var);
  pbddman->Bdd_free(not_var);
  count = negative_son->Bdd_implicants_loc(without_var, count, out);
  pbddman->Bdd_free(without_var);
  return dontcare_son->Bdd_implicants_loc(cube, count, out);
}

int Tdd::Bdd_prime_implicants(bdd* out) {
  if (pbddman == nullptr) return 0;
  int count = Bdd_implicants_loc(pbddman->Bdd_one(), 0, out);
  for (int i = 0; i < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      if (pbddman->Bdd_imply(out[j], out[i])) {
        pbddman->Bdd_free(out[j]);
        out[j] = pbddman->Bdd_dup(pbddman->Bdd_zero());
      }
    }
  }
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    if (pbddman->Bdd_is_tautology(out[i], 0)) {
      pbddman->Bdd_free(out[i]);
    } else {
      out[kept++] = out[i];
    }
  }
  return kept;
}

int bddpp_manager::Bdd_prime_implicants(bdd f, bdd* out) {
  if (f == 0) return 0;
  if (Bdd_if_index(f) < 0) {
    out[0] = Bdd_dup(f);
    return 1;
  }
  Tdd tree(this, f);
  return tree.Bdd_prime_implicants(out);
}
