// Copy of functions from one manager into another through a map of
// variables: variable i of the source becomes the target variable of index
// map[i]. The map need not keep the variable order, so copies are rebuilt
// with Boolean operations, one per source node.
#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include "bddpp/bddpp_manager.h"

// Each call of copy() visits every node of its function once: a memo holds
// one target reference per node copied, and is emptied (its references
// released) when the call returns. Most functions are small, so the memo is
// a short list searched in place and becomes a hash map only past a few
// dozen nodes; both keep their room from one call to the next, so a copier
// kept for many copies allocates only while its memo grows.
class function_copier {
 public:
  // `map` has one entry per variable of `source` and must outlive the copier.
  function_copier(bddpp_manager* source, bddpp_manager* target, const int* map)
      : source_(source), target_(target), map_(map) {}
  ~function_copier() { forget(); }
  function_copier(const function_copier&) = delete;
  function_copier& operator=(const function_copier&) = delete;

  // The copy of f, a new reference in the target; null for null.
  bdd copy(bdd f);

 private:
  static constexpr std::size_t kSmallMemo = 48;

  bdd copy_node(bdd f);
  const bdd* find(bdd f) const;
  void remember(bdd f, bdd copy);
  // Releases the memo's references and empties it, keeping its room.
  void forget();

  bddpp_manager* source_;
  bddpp_manager* target_;
  const int* map_;
  std::vector<std::pair<bdd, bdd>> small_;
  std::unordered_map<bdd, bdd> large_;
};
