// Prime implicants of a function: found on its BDD by prime_search, in the
// order of the implicant tree walk wherever that walk keeps within the
// product limit; the tree itself with the reference paths.
#include <iostream>

#include "bddpp/bddpp_manager.h"
#include "bddpp/prime_search.h"
#include "bddpp/product_limit.h"
#include "support/reference_paths.h"

int bddpp_manager::Bdd_prime_implicants(bdd f, bdd* out) {
  if (f == 0) return 0;
  if (Bdd_if_index(f) < 0) {
    out[0] = Bdd_dup(f);
    return 1;
  }
  if (tessaro::reference_paths()) {
    Tdd tree(this, f);
    return tree.Bdd_prime_implicants(out);
  }
  const int count = primes_within(f, out, kBddppMaxProducts);
  if (count < 0) {
    std::cerr << "error in Tdd::Bdd_implicants_loc() " << std::endl;
    std::cerr << "excessive number of products ..." << std::endl;
    bddpp_stop_at_limit("prime implicants", kBddppMaxProducts);
  }
  return count;
}

int bddpp_manager::primes_within(bdd f, bdd* out, int limit) {
  if (Bdd_if_index(f) < 0) {
    out[0] = Bdd_dup(f);
    return 1;
  }
  prime_search search(this, f);
  if (search.find(limit) != prime_search::status::found) return -1;
  search.order_as_tree_walk(limit);
  for (int i = 0; i < search.count(); ++i)
    out[i] = search.product(i);
  return search.count();
}
