// Copy of a function from an automaton's manager into another manager
// through a map of variables.
#include <unordered_map>

#include "automaton/b_automaton.h"

namespace {

// Rebuilds functions of `source` in `target` with Boolean operations, since
// the map need not keep the variable order. Each source node is copied once:
// the memo holds one target reference per copied handle.
class function_copier {
 public:
  function_copier(bddpp_manager* source, bddpp_manager* target, const int* map)
      : source_(source), target_(target), map_(map) {}
  ~function_copier() {
    for (const auto& entry : memo_)
      target_->Bdd_free(entry.second);
  }

  // A new reference in the target.
  bdd copy(bdd f) {
    if (source_->Bdd_is_tautology(f, 0)) return target_->Bdd_zero();
    if (source_->Bdd_is_tautology(f, 1)) return target_->Bdd_one();
    auto found = memo_.find(f);
    if (found != memo_.end()) return target_->Bdd_dup(found->second);
    bdd then_part = source_->Bdd_then(f);
    bdd else_part = source_->Bdd_else(f);
    bdd then_copy = copy(then_part);
    bdd else_copy = copy(else_part);
    source_->Bdd_free(then_part);
    source_->Bdd_free(else_part);
    bdd w = target_->Bdd_var_by_index(map_[source_->Bdd_if_index(f)]);
    bdd result = target_->Bdd_ite(w, then_copy, else_copy);
    target_->Bdd_free(then_copy);
    target_->Bdd_free(else_copy);
    memo_.emplace(f, target_->Bdd_dup(result));
    return result;
  }

 private:
  bddpp_manager* source_;
  bddpp_manager* target_;
  const int* map_;
  std::unordered_map<bdd, bdd> memo_;
};

}  // namespace

bdd b_automaton::bdd_isomorphe(bddpp_manager* target, bdd f, const int* map) const {
  if (f == 0) return 0;
  function_copier copier(manager_associe(), target, map);
  return copier.copy(f);
}
