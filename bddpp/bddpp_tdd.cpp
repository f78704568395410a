// Prime implicants through the ternary decision tree: every path chooses,
// for each variable from the top, the positive cofactor, the negative one or
// the part that needs neither; paths that end in one are implicants. This is
// the straightforward path the search of prime_search.h replaces (the tool
// takes it only with its reference paths); it meets every implicant.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <unordered_map>
#include <vector>

#include "bddpp/bddpp_manager.h"
#include "bddpp/product_limit.h"

namespace {

[[noreturn]] void too_many_implicants() {
  std::cerr << "error in Tdd::Bdd_implicants_loc() " << std::endl;
  std::cerr << "excessive number of products ..." << std::endl;
  bddpp_stop_at_limit("implicants", kBddppMaxProducts);
}

}  // namespace

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
    if (count + 1 > kBddppMaxProducts) too_many_implicants();
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

// State of the implicant walk. Products are masks over the variables of the
// tree, numbered by id (stable even if the engine reorders): a positive and
// a negative word array.
// A product implies another exactly when it has all of the other's literals.
struct Tdd::Walk {
  bddpp_manager* man;
  std::unordered_map<long, long> position_of_id;
  std::vector<bdd> var_at;
  std::size_t words = 1;
  std::vector<std::uint64_t> cube;   // the current path, 2 * words
  std::vector<std::uint64_t> masks;  // the products found, 2 * words each
  bdd* out = nullptr;
  int count = 0;

  const std::uint64_t* mask(int i) const {
    return masks.data() + static_cast<std::size_t>(i) * 2 * words;
  }

  // Whether product a implies product b.
  static bool implies(const std::uint64_t* a, const std::uint64_t* b, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
      if ((b[k] & ~a[k]) != 0) return false;
    }
    return true;
  }

  bdd cube_bdd() const {
    bdd r = man->Bdd_dup(man->Bdd_one());
    for (std::size_t p = var_at.size(); p-- > 0;) {
      const std::size_t word = p / 64;
      const std::uint64_t bit = std::uint64_t{1} << (p % 64);
      if ((cube[word] & bit) == 0 && (cube[words + word] & bit) == 0) continue;
      bdd next = man->Bdd_and(r, (cube[word] & bit) != 0 ? var_at[p] : var_at[p] ^ 1u);
      man->Bdd_free(r);
      r = next;
    }
    return r;
  }
};

void Tdd::collect_vars(std::unordered_map<long, long>& seen) const {
  if (positive_son == nullptr) return;
  seen.emplace(pbddman->Bdd_if_id(node_var), -1);
  positive_son->collect_vars(seen);
  negative_son->collect_vars(seen);
  dontcare_son->collect_vars(seen);
}

void Tdd::implicants_walk(Walk& w) const {
  if (node_var == 0) return;
  if (positive_son == nullptr) {
    if (pbddman->Bdd_is_tautology(node_var, 0)) return;
    for (int i = 0; i < w.count; ++i) {
      if (Walk::implies(w.mask(i), w.cube.data(), 2 * w.words)) {
        pbddman->Bdd_free(w.out[i]);
        w.out[i] = w.cube_bdd();
        std::copy(w.cube.begin(), w.cube.end(),
                  w.masks.begin() + static_cast<std::ptrdiff_t>(i) * 2 * w.words);
        return;
      }
    }
    if (w.count + 1 > kBddppMaxProducts) too_many_implicants();
    w.out[w.count++] = w.cube_bdd();
    w.masks.insert(w.masks.end(), w.cube.begin(), w.cube.end());
    return;
  }
  const long p = w.position_of_id.at(pbddman->Bdd_if_id(node_var));
  const std::size_t word = static_cast<std::size_t>(p) / 64;
  const std::uint64_t bit = std::uint64_t{1} << (p % 64);
  w.cube[word] |= bit;
  positive_son->implicants_walk(w);
  w.cube[word] &= ~bit;
  w.cube[w.words + word] |= bit;
  negative_son->implicants_walk(w);
  w.cube[w.words + word] &= ~bit;
  dontcare_son->implicants_walk(w);
}

int Tdd::Bdd_prime_implicants(bdd* out) {
  if (pbddman == nullptr || node_var == 0) return 0;
  Walk w;
  w.man = pbddman;
  w.out = out;
  // The variables of the tree, by ascending id; only they get a position.
  collect_vars(w.position_of_id);
  std::vector<long> ids;
  for (const auto& entry : w.position_of_id)
    ids.push_back(entry.first);
  std::sort(ids.begin(), ids.end());
  for (long id : ids) {
    w.position_of_id[id] = static_cast<long>(w.var_at.size());
    w.var_at.push_back(pbddman->Bdd_var_by_id(id));
  }
  w.words = std::max<std::size_t>(1, (w.var_at.size() + 63) / 64);
  w.cube.assign(2 * w.words, 0);
  implicants_walk(w);

  // A product implying an earlier one goes (equal ones: the later).
  const int count = w.count;
  std::vector<char> dropped(static_cast<std::size_t>(count), 0);
  for (int i = 0; i < count; ++i) {
    if (dropped[i]) continue;
    for (int j = i + 1; j < count; ++j) {
      if (!dropped[j] && Walk::implies(w.mask(j), w.mask(i), 2 * w.words)) dropped[j] = 1;
    }
  }
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    if (dropped[i]) {
      pbddman->Bdd_free(out[i]);
    } else {
      out[kept++] = out[i];
    }
  }
  return kept;
}
