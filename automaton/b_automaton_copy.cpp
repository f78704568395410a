// Copy of a function from an automaton's manager into another manager
// through a map of variables.
#include <unordered_map>
#include <utility>
#include <vector>

#include "automaton/b_automaton.h"
#include "support/reference_paths.h"

namespace {

// Rebuilds functions of `source` in `target` with Boolean operations, since
// the map need not keep the variable order. Each source node is copied once:
// the memo holds one target reference per copied handle. Most functions are
// small, so the memo is a short list searched in place, reused from one copy
// to the next, and becomes a hash map only past a few dozen nodes.
class function_copier {
 public:
  function_copier(bddpp_manager* source, bddpp_manager* target, const int* map)
      : source_(source), target_(target), map_(map), small_(small_room()) {
    small_.clear();
  }
  ~function_copier() {
    for (const auto& entry : small_)
      target_->Bdd_free(entry.second);
    for (const auto& entry : large_)
      target_->Bdd_free(entry.second);
    small_.clear();
  }
  function_copier(const function_copier&) = delete;
  function_copier& operator=(const function_copier&) = delete;

  // A new reference in the target.
  bdd copy(bdd f) {
    if (source_->Bdd_is_tautology(f, 0)) return target_->Bdd_zero();
    if (source_->Bdd_is_tautology(f, 1)) return target_->Bdd_one();
    const bdd* known = find(f);
    if (known != nullptr) return target_->Bdd_dup(*known);
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
    remember(f, target_->Bdd_dup(result));
    return result;
  }

 private:
  static constexpr std::size_t kSmallMemo = 48;

  static std::vector<std::pair<bdd, bdd>>& small_room() {
    static std::vector<std::pair<bdd, bdd>> room;
    return room;
  }

  const bdd* find(bdd f) const {
    if (!large_.empty()) {
      auto it = large_.find(f);
      return it == large_.end() ? nullptr : &it->second;
    }
    for (const auto& entry : small_)
      if (entry.first == f) return &entry.second;
    return nullptr;
  }

  void remember(bdd f, bdd copy) {
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

  bddpp_manager* source_;
  bddpp_manager* target_;
  const int* map_;
  std::vector<std::pair<bdd, bdd>>& small_;
  std::unordered_map<bdd, bdd> large_;
};

}  // namespace

bdd b_automaton::bdd_isomorphe(bddpp_manager* target, bdd f, const int* map) const {
  if (f == 0) return 0;
  function_copier copier(manager_associe(), target, map);
  return copier.copy(f);
}
