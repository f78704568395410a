// Sums of products: the cover by enlarged satisfying cubes (method 0), its
// irredundant prime form (method 1), the essential-first prime cover
// (method 2), and the conversions between products, literal vectors,
// minterms and truth tables.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

#include "bddpp/bddpp_manager.h"
#include "bddpp/product_array.h"

namespace {

// Ends the program when a product array would overflow.
[[noreturn]] void too_many_products(const char* where) {
  std::cerr << "error in " << where << " " << std::endl;
  std::cerr << "excessive number of products ..." << std::endl;
  std::exit(1);
}

}  // namespace

int bddpp_manager::Bdd_sop(bdd f, bdd* out, int method) {
  if (f == 0) {
    std::cerr << "ERROR in bddpp_manager::Bdd_sop():" << std::endl;
    std::cerr << "   bdd referenced by the adress: " << handle_address(f)
              << ", is not allocated ..." << std::endl;
    std::exit(1);
  }
  const int reused = small_cover(f, out, method);
  if (reused >= 0) return reused;
  if (method == 1) return Bdd_sop_1(f, out);
  if (method == 2) return Bdd_sop_2(f, out);
  return Bdd_sop_0(f, out);
}

int bddpp_manager::Bdd_sop_0(bdd f, bdd* out) {
  if (f == 0) return 0;
  const int type = bdd_type(internal_man, f);
  if (type == BDD_TYPE_ONE) {
    out[0] = Bdd_dup(f);
    return 1;
  }
  if (type == BDD_TYPE_ZERO) return 0;
  bdd rest = Bdd_dup(f);
  bdd not_f = Bdd_not(rest);
  int count = 0;
  while (!Bdd_is_tautology(rest, 0)) {
    if (count == kBddppMaxProducts) too_many_products("bddpp_manager::Bdd_sop_0()");
    // Enlarge the cube as far as the complement of f allows.
    bdd cube = bdd_satisfy(internal_man, rest);
    bdd care = Bdd_or(not_f, cube);
    bdd product = Bdd_reduce(cube, care);
    Bdd_free(cube);
    Bdd_free(care);
    out[count++] = product;
    bdd not_product = Bdd_not(product);
    bdd smaller = Bdd_and(rest, not_product);
    Bdd_free(not_product);
    Bdd_free(rest);
    rest = smaller;
  }
  Bdd_free(rest);
  Bdd_free(not_f);
  return count;
}

namespace {

// Removes the constant-zero entries of out[0 .. count-1], keeping the order;
// returns the new count.
int compact(bddpp_manager* man, bdd* out, int count) {
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    if (man->Bdd_is_tautology(out[i], 0)) {
      man->Bdd_free(out[i]);
    } else {
      out[kept++] = out[i];
    }
  }
  return kept;
}

}  // namespace

int bddpp_manager::Bdd_sop_1(bdd f, bdd* out) {
  if (f == 0) return 0;
  const int type = bdd_type(internal_man, f);
  if (type == BDD_TYPE_ONE || type == BDD_TYPE_ZERO) {
    out[0] = Bdd_dup(f);
    return 1;
  }
  const int count = Bdd_sop_0(f, out);
  // Literal removal: drop each literal whose removal keeps the product inside f.
  for (int i = 0; i < count; ++i) {
    for (long j : Support_indexes(out[i])) {
      bdd wider = Bdd_extract(out[i], Bdd_var_by_index(j));
      if (Bdd_imply(wider, f)) {
        Bdd_free(out[i]);
        out[i] = wider;
      } else {
        Bdd_free(wider);
      }
    }
  }
  // Redundancy removal, in order: product i goes when the others as they
  // stand cover f. The products after i are still untouched, so their
  // disjunctions are taken once from the end; those before i are gathered
  // as they are settled.
  std::vector<bdd> after(static_cast<std::size_t>(count) + 1);
  after[count] = Bdd_dup(Bdd_zero());
  for (int i = count - 1; i >= 0; --i)
    after[i] = Bdd_or(out[i], after[i + 1]);
  bdd before = Bdd_dup(Bdd_zero());
  for (int i = 0; i < count; ++i) {
    bdd others = Bdd_or(before, after[i + 1]);
    if (others == f) {
      Bdd_free(out[i]);
      out[i] = Bdd_dup(Bdd_zero());
    }
    Bdd_free(others);
    bdd next = Bdd_or(before, out[i]);
    Bdd_free(before);
    before = next;
  }
  Bdd_free(before);
  for (bdd a : after)
    Bdd_free(a);
  return compact(this, out, count);
}

void bddpp_manager::Bdd_essential_implicants(bdd f, int& n_essential, bdd* essential, int& n_other,
                                             bdd* other) {
  // Left uninitialised: only the entries written are ever touched.
  product_array primes;
  const int count = Bdd_prime_implicants(f, primes.get());
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
  for (bdd a : after)
    Bdd_free(a);
}

int bddpp_manager::Bdd_sop_2(bdd f, bdd* out) {
  if (f == 0) return 0;
  product_array essential;
  product_array other;
  int n_essential = 0;
  int n_other = 0;
  Bdd_essential_implicants(f, n_essential, essential.get(), n_other, other.get());
  int count = 0;
  bdd cover = Bdd_dup(Bdd_zero());
  for (int i = 0; i < n_essential; ++i) {
    out[count++] = essential[i];
    bdd next = Bdd_or(cover, essential[i]);
    Bdd_free(cover);
    cover = next;
  }
  std::vector<bool> used(static_cast<std::size_t>(n_other), false);
  // First completion: primes disjoint from the cover, the first one each pass.
  while (cover != f) {
    int found = -1;
    for (int i = 0; i < n_other && found < 0; ++i) {
      if (!used[i] && Bdds_excl(other[i], cover)) found = i;
    }
    if (found < 0) break;
    used[found] = true;
    out[count++] = Bdd_dup(other[found]);
    bdd next = Bdd_or(cover, other[found]);
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
