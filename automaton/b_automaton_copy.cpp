// Copy of a function from an automaton's manager into another manager
// through a map of variables.
#include "automaton/b_automaton.h"
#include "automaton/function_copier.h"
#include "support/reference_paths.h"

bdd function_copier::copy(bdd f) {
  if (f == 0) return 0;
  // A literal is the target's variable or its negation: the node copy would
  // build the same function through the memo and one if-then-else.
  const bool positive = source_->Bdd_is_var(f);
  if ((positive || source_->Bdd_is_neg_var(f)) && !tessaro::reference_paths()) {
    bdd w = target_->Bdd_var_by_index(map_[source_->Bdd_if_index(f)]);
    return positive ? target_->Bdd_dup(w) : target_->Bdd_not(w);
  }
  bdd result = copy_node(f);
  forget();
  return result;
}

bdd function_copier::copy_node(bdd f) {
  if (source_->Bdd_is_tautology(f, 0)) return target_->Bdd_zero();
  if (source_->Bdd_is_tautology(f, 1)) return target_->Bdd_one();
  const bdd* known = find(f);
  if (known != nullptr) return target_->Bdd_dup(*known);
  bdd then_part = source_->Bdd_then(f);
  bdd else_part = source_->Bdd_else(f);
  bdd then_copy = copy_node(then_part);
  bdd else_copy = copy_node(else_part);
  source_->Bdd_free(then_part);
  source_->Bdd_free(else_part);
  bdd result = target_->Bdd_var_ite(map_[source_->Bdd_if_index(f)], then_copy, else_copy);
  target_->Bdd_free(then_copy);
  target_->Bdd_free(else_copy);
  remember(f, target_->Bdd_dup(result));
  return result;
}

const bdd* function_copier::find(bdd f) const {
  if (!large_.empty()) {
    auto it = large_.find(f);
    return it == large_.end() ? nullptr : &it->second;
  }
  for (const auto& entry : small_)
    if (entry.first == f) return &entry.second;
  return nullptr;
}

void function_copier::remember(bdd f, bdd copy) {
  if (large_.empty() && small_.size() < kSmallMemo && !tessaro::reference_paths()) {
    small_.emplace_back(f, copy);
    return;
  }
  if (large_.empty()) {
    large_.insert(small_.begin(), small_.end());
    small_.clear();
  }
  large_.emplace(f, copy);
}

void function_copier::forget() {
  for (const auto& entry : small_)
    target_->Bdd_free(entry.second);
  for (const auto& entry : large_)
    target_->Bdd_free(entry.second);
  small_.clear();
  // Clearing touches every bucket, even of an empty map.
  if (!large_.empty()) large_.clear();
}

bdd b_automaton::bdd_isomorphe(bddpp_manager* target, bdd f, const int* map) const {
  function_copier copier(manager_associe(), target, map);
  return copier.copy(f);
}
