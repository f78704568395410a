// Sums of products: the cover by enlarged satisfying cubes (method 0), its
// irredundant prime form (method 1), the essential-first prime cover
// (method 2), and the conversions between products, literal vectors,
// minterms and truth tables.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

#include "bddpp/bddpp_manager.h"
#include "bddpp/irredundant_cover.h"
#include "bddpp/product_array.h"
#include "bddpp/product_limit.h"
#include "support/reference_paths.h"

namespace {

// Ends the program when a product array would overflow.
[[noreturn]] void too_many_products(const char* where) {
  std::cerr << "error in " << where << " " << std::endl;
  std::cerr << "excessive number of products ..." << std::endl;
  bddpp_stop_at_limit("products", kBddppMaxProducts);
}

// Copies a list into a caller's array of kBddppMaxProducts handles.
int to_array(const std::vector<bdd>& products, bdd* out) {
  std::copy(products.begin(), products.end(), out);
  return static_cast<int>(products.size());
}

}  // namespace

int bddpp_manager::Bdd_sop(bdd f, bdd* out, int method) {
  if (f == 0) null_function();
  const int reused = small_cover(f, out, method);
  if (reused >= 0) return reused;
  if (method == 1) return Bdd_sop_1(f, out);
  if (method == 2) return Bdd_sop_2(f, out);
  return Bdd_sop_0(f, out);
}

int bddpp_manager::Bdd_sop(bdd f, std::vector<bdd>& out, int method) {
  if (f == 0) null_function();
  out.clear();
  if (method == 2) {
    product_array products;
    const int count = Bdd_sop(f, products.get(), method);
    out.assign(products.get(), products.get() + count);
    return count;
  }
  if (const auto* rows = small_cover_rows(f, method, cover_support_scratch)) {
    out.resize(rows->size());
    out.resize(static_cast<std::size_t>(small_cover(f, out.data(), method)));
    return static_cast<int>(out.size());
  }
  return method == 1 ? Bdd_sop_1(f, out) : Bdd_sop_0(f, out);
}

void bddpp_manager::null_function() {
  std::cerr << "ERROR in bddpp_manager::Bdd_sop():" << std::endl;
  std::cerr << "   bdd referenced by the adress: " << handle_address(0) << ", is not allocated ..."
            << std::endl;
  std::exit(1);
}

int bddpp_manager::Bdd_sop_0(bdd f, bdd* out) {
  std::vector<bdd> products;
  satisfying_cubes(f, products, kBddppMaxProducts);
  return to_array(products, out);
}

int bddpp_manager::Bdd_sop_0(bdd f, std::vector<bdd>& out) {
  out.clear();
  satisfying_cubes(f, out, -1);
  return static_cast<int>(out.size());
}

void bddpp_manager::satisfying_cubes(bdd f, std::vector<bdd>& out, long limit) {
  if (f == 0) return;
  const int type = bdd_type(internal_man, f);
  if (type == BDD_TYPE_ONE) {
    out.push_back(Bdd_dup(f));
    return;
  }
  if (type == BDD_TYPE_ZERO) return;
  bdd rest = Bdd_dup(f);
  bdd not_f = Bdd_not(rest);
  while (!Bdd_is_tautology(rest, 0)) {
    if (static_cast<long>(out.size()) == limit) too_many_products("bddpp_manager::Bdd_sop_0()");
    // Enlarge the cube as far as the complement of f allows.
    bdd cube = bdd_satisfy(internal_man, rest);
    bdd care = Bdd_or(not_f, cube);
    bdd product = Bdd_reduce(cube, care);
    Bdd_free(cube);
    Bdd_free(care);
    out.push_back(product);
    bdd not_product = Bdd_not(product);
    bdd smaller = Bdd_and(rest, not_product);
    Bdd_free(not_product);
    Bdd_free(rest);
    rest = smaller;
  }
  Bdd_free(rest);
  Bdd_free(not_f);
}

int bddpp_manager::Bdd_sop_1(bdd f, bdd* out) {
  std::vector<bdd> products;
  irredundant_cubes(f, products, kBddppMaxProducts);
  return to_array(products, out);
}

int bddpp_manager::Bdd_sop_1(bdd f, std::vector<bdd>& out) {
  out.clear();
  irredundant_cubes(f, out, -1);
  return static_cast<int>(out.size());
}

void bddpp_manager::irredundant_cubes(bdd f, std::vector<bdd>& out, long limit) {
  if (f == 0) return;
  const int type = bdd_type(internal_man, f);
  if (type == BDD_TYPE_ONE || type == BDD_TYPE_ZERO) {
    out.push_back(Bdd_dup(f));
    return;
  }
  satisfying_cubes(f, out, limit);
  expand_products(f, out);
  drop_redundant(this, out);
}

bool bddpp_manager::deeper_than(bdd f, int levels) {
  bdd g = Bdd_dup(f);
  int depth = 0;
  while (depth <= levels && Bdd_if_index(g) >= 0) {
    bdd then_part = Bdd_then(g);
    bdd else_part = Bdd_else(g);
    const bool positive = !Bdd_is_tautology(then_part, 0);
    Bdd_free(g);
    g = positive ? then_part : else_part;
    Bdd_free(positive ? else_part : then_part);
    ++depth;
  }
  Bdd_free(g);
  return depth > levels;
}

void bddpp_manager::expand_products(bdd f, std::vector<bdd>& products) {
  // Drop each literal whose removal keeps the product inside f; the test
  // ends at the first point of the wider product outside f. Products of
  // many literals are widened in one pass instead (the same product).
  for (bdd& product : products) {
    if (!tessaro::reference_paths() && deeper_than(product, kWideCubeLiterals) &&
        Widen_cube(f, product))
      continue;
    for (long j : Support_indexes(product)) {
      bdd wider = Bdd_extract(product, Bdd_var_by_index(j));
      bdd outside = bdd_implies(internal_man, wider, f);
      const bool inside = Bdd_is_tautology(outside, 0);
      Bdd_free(outside);
      if (inside) {
        Bdd_free(product);
        product = wider;
      } else {
        Bdd_free(wider);
      }
    }
  }
}

void bddpp_manager::Bdd_essential_implicants(bdd f, int& n_essential, bdd* essential, int& n_other,
                                             bdd* other) {
  // Left uninitialised: only the entries written are ever touched.
  product_array primes;
  const int count = Bdd_prime_implicants(f, primes.get());
  split_essential(f, primes.get(), count, n_essential, essential, n_other, other);
}

void bddpp_manager::split_essential(bdd f, const bdd* primes, int count, int& n_essential,
                                    bdd* essential, int& n_other, bdd* other) {
  // A prime is essential when the disjunction of the others misses part of f;
  // the disjunctions come from the prefix and suffix disjunctions.
  std::vector<bdd> after(static_cast<std::size_t>(count) + 1);
  after[count] = Bdd_dup(Bdd_zero());
  for (int i = count - 1; i >= 0; --i)
    after[i] = Bdd_or(primes[i], after[i + 1]);
  bdd before = Bdd_dup(Bdd_zero());
  n_essential = 0;
  n_other = 0;
  for (int i = 0; i < count; ++i) {
    const bdd prime = primes[i];
    bdd others = Bdd_or(before, after[i + 1]);
    Bdd_free(after[i + 1]);
    after[i + 1] = 0;
    if (others != f) {
      essential[n_essential++] = prime;
    } else {
      other[n_other++] = prime;
    }
    Bdd_free(others);
    bdd next = Bdd_or(before, prime);
    Bdd_free(before);
    before = next;
  }
  Bdd_free(before);
  Bdd_free(after[0]);
}

int bddpp_manager::Bdd_sop_2(bdd f, bdd* out) {
  if (f == 0) return 0;
  product_array essential;
  product_array other;
  int n_essential = 0;
  int n_other = 0;
  Bdd_essential_implicants(f, n_essential, essential.get(), n_other, other.get());
  return complete_cover(f, essential.get(), n_essential, other.get(), n_other, out);
}

int bddpp_manager::complete_cover(bdd f, const bdd* essential, int n_essential, const bdd* other,
                                  int n_other, bdd* out) {
  int count = 0;
  bdd cover = Bdd_dup(Bdd_zero());
  for (int i = 0; i < n_essential; ++i) {
    out[count++] = essential[i];
    bdd next = Bdd_or(cover, essential[i]);
    Bdd_free(cover);
    cover = next;
  }
  // First completion: each pass takes the first prime disjoint from the
  // cover. A prime that meets the cover meets every larger cover, so the
  // next pass can start after the prime the last one took.
  for (int i = 0; i < n_other && cover != f; ++i) {
    if (!Bdds_excl(other[i], cover)) continue;
    out[count++] = Bdd_dup(other[i]);
    bdd next = Bdd_or(cover, other[i]);
    Bdd_free(cover);
    cover = next;
  }
  // Second completion: the primes that still add something, in order.
  for (int i = 0; i < n_other && cover != f; ++i) {
    bdd next = Bdd_or(cover, other[i]);
    if (next != cover) {
      out[count++] = Bdd_dup(other[i]);
      Bdd_free(cover);
      cover = next;
    } else {
      Bdd_free(next);
    }
  }
  Bdd_free(cover);
  for (int i = 0; i < n_other; ++i)
    Bdd_free(other[i]);
  return count;
}

void bddpp_manager::Present_variables(bdd f, int* presence) {
  const long n = Nb_bdd_vars();
  for (long i = 0; i < n; ++i)
    presence[i] = 0;
  std::vector<bdd> support(static_cast<std::size_t>(n) + 1);
  bdd_support(internal_man, f, support.data());
  for (const bdd* var = support.data(); *var != 0; ++var)
    presence[bdd_if_index(internal_man, *var)] = 1;
}

void bddpp_manager::Bdd_to_literals(bdd product, int* literals) {
  const long n = Nb_bdd_vars();
  for (long i = 0; i < n; ++i)
    literals[i] = 2;
  const int type = bdd_type(internal_man, product);
  if (type == BDD_TYPE_ONE) {
    std::cerr << "error in  bddpp_manager::Bdd_to_literals() :" << std::endl;
    std::cerr << "constant 1 is not a literal ..." << std::endl;
    return;
  }
  if (product == 0 || type == BDD_TYPE_ZERO) return;
  // A product has one non-zero branch per node: follow it, one literal per step.
  bdd node = Bdd_dup(product);
  while (Bdd_if_index(node) >= 0) {
    bdd then_part = Bdd_then(node);
    bdd else_part = Bdd_else(node);
    const bool positive = !Bdd_is_tautology(then_part, 0);
    if (positive && !Bdd_is_tautology(else_part, 0)) {
      Bdd_free(then_part);
      Bdd_free(else_part);
      break;
    }
    literals[Bdd_if_index(node)] = positive ? 1 : 0;
    Bdd_free(node);
    node = positive ? then_part : else_part;
    Bdd_free(positive ? else_part : then_part);
  }
  const bool cube = Bdd_if_index(node) < 0;
  Bdd_free(node);
  if (cube) return;
  // Not a product: each variable f depends on is positive when f has a
  // satisfying assignment with the variable at 1.
  Present_variables(product, literals);
  for (long i = 0; i < n; ++i) {
    if (literals[i] == 0) {
      literals[i] = 2;
      continue;
    }
    bdd restricted = Bdd_reduce(product, Bdd_var_by_index(i));
    literals[i] = Bdd_is_tautology(restricted, 0) ? 0 : 1;
    Bdd_free(restricted);
  }
}

bdd bddpp_manager::Literals_to_bdd(const int* literals) {
  bdd r = Bdd_dup(Bdd_one());
  for (long i = Nb_bdd_vars() - 1; i >= 0; --i) {
    if (literals[i] != 0 && literals[i] != 1) continue;
    bdd var = Bdd_var_by_index(i);
    bdd next = Bdd_and(r, literals[i] == 1 ? var : var ^ 1u);
    Bdd_free(r);
    r = next;
  }
  return r;
}

bdd bddpp_manager::Minterm(int n, int count, const bdd* vars) {
  if (n < 0) return Bdd_dup(Bdd_zero());
  bdd r = Bdd_dup(Bdd_one());
  for (int i = 0; i < count; ++i) {
    const bool bit = i < 31 && ((n >> i) & 1) != 0;
    bdd literal = bit ? Bdd_dup(vars[i]) : Bdd_not(vars[i]);
    bdd next = Bdd_and(r, literal);
    Bdd_free(literal);
    Bdd_free(r);
    r = next;
  }
  return r;
}

bdd bddpp_manager::Bdd_eval(bdd f, const int* literals) {
  bdd care = Literals_to_bdd(literals);
  bdd r = Bdd_reduce(f, care);
  Bdd_free(care);
  return r;
}

void bddpp_manager::Truth_table(bdd f, int count, const bdd* vars, char* out) {
  const long rows = count < 31 ? 1L << count : 0;
  for (long n = 0; n < rows; ++n) {
    bdd minterm = Minterm(static_cast<int>(n), count, vars);
    bdd r = Bdd_reduce(f, minterm);
    out[n] = Bdd_is_tautology(r, 1) ? '1' : Bdd_is_tautology(r, 0) ? '0' : '?';
    Bdd_free(r);
    Bdd_free(minterm);
  }
}
