// The builder of a composition.
#include "automaton/composition_build.h"

#include <utility>

#include "support/reference_paths.h"

namespace {

// The composed index of every variable of the part's manager: the plan's
// entry of the variable of the same name.
std::vector<int> variable_map(const composition_plan& plan, std::size_t p,
                              const bddpp_manager& man) {
  const long count = man.Nb_bdd_vars();
  std::vector<int> map(static_cast<std::size_t>(count), -1);
  const std::vector<int>& positions = plan.variable_positions[p];
  for (std::size_t k = 0; k < positions.size(); ++k) {
    const std::string& name = plan.parts[p].positions[positions[k]];
    // A part mostly numbers its variables as its lists name them: its k-th
    // variable is tried before a lookup by name.
    long i = static_cast<long>(k);
    if (i >= count || man.Name_var_by_index(i) != name) i = man.Index_var_by_name(name);
    if (i >= 0) map[static_cast<std::size_t>(i)] = plan.by_variable[p][k];
  }
  return map;
}

// Whether no two variables of the map share a composed variable.
bool one_to_one(const std::vector<int>& map, std::size_t composed_count) {
  std::vector<char> taken(composed_count, 0);
  for (int k : map) {
    if (k < 0) continue;
    if (static_cast<std::size_t>(k) >= composed_count || taken[static_cast<std::size_t>(k)] != 0)
      return false;
    taken[static_cast<std::size_t>(k)] = 1;
  }
  return true;
}

// Replaces acc by acc and f; releases f. A null acc takes f.
void conjoin(bddpp_manager* man, bdd& acc, bdd f) {
  if (acc == 0) {
    acc = f;
    return;
  }
  bdd conj = man->Bdd_and(acc, f);
  man->Bdd_free(f);
  man->Bdd_free(acc);
  acc = conj;
}

}  // namespace

composition_builder::part_copy::part_copy(const b_automaton* a, std::vector<int> map,
                                          bddpp_manager* target)
    : automaton(a),
      by_variable(std::move(map)),
      renames(one_to_one(by_variable, static_cast<std::size_t>(target->Nb_bdd_vars()))),
      copier(a->manager_associe(), target, by_variable.data()) {}

composition_builder::composition_builder(const composition_plan& plan,
                                         const std::vector<const b_automaton*>& parts)
    : plan_(plan), storage_(std::make_shared<b_autom_storage>()) {
  b_autom_storage& s = *storage_;
  s.state_var_names = plan.state_var_names;
  s.input_names = plan.input_names;
  s.output_names = plan.interface_outputs;
  s.local_names = plan.local_names;
  s.manager = std::make_unique<bddpp_manager>();
  bddpp_manager* man = s.manager.get();
  s.trans_wood = std::make_unique<Bddexpressionwood>(man);
  s.def_wood = std::make_unique<Bddexpressionwood>(man);
  const auto lists = {&plan.state_var_names, &plan.input_names, &plan.output_names,
                      &plan.local_names};
  std::size_t count = 0;
  for (const auto* list : lists)
    count += list->size();
  man->Reserve_vars(static_cast<long>(count));
  for (const auto* list : lists)
    for (const std::string& name : *list)
      man->New_var_last(name);
  s.trans_wood->update_bdd_vars();
  s.def_wood->update_bdd_vars();
  for (std::size_t p = 0; p < parts.size(); ++p) {
    std::vector<int> map = variable_map(plan, p, *parts[p]->manager_associe());
    parts_.push_back(std::make_unique<part_copy>(parts[p], std::move(map), man));
  }
}

composition_builder::~composition_builder() = default;

void composition_builder::copy_initial_states() {
  bddpp_manager* man = storage_->manager.get();
  initial_state_ = man->Bdd_one();
  for (const auto& part : parts_)
    conjoin(man, initial_state_, part->copier.copy(part->automaton->initial_state_bdd()));
}

void composition_builder::copy_transitions() {
  bddpp_manager* man = storage_->manager.get();
  for (const auto& part : parts_) {
    for (int i = 0; i < part->automaton->nb_equ_trans(); ++i) {
      const Bddexpression* e = part->automaton->equ_trans(i);
      bdd left = part->copier.copy(e->my_bdd_var());
      bdd right = part->copier.copy(e->my_bdd_exp());
      define_copy(storage_->trans_wood.get(), left, right, copied_support(*part, *e));
      man->Bdd_free(left);
      man->Bdd_free(right);
    }
  }
}

bool composition_builder::copied_support(const part_copy& part, const Bddexpression& e) {
  if (!part.renames || tessaro::reference_paths()) return false;
  const tessaro::set<long>* reads = e.current_dependances();
  if (reads == nullptr) return false;
  support_.clear();
  const std::size_t count = part.by_variable.size();
  for (tessaro::scanset<long> it(*reads); !it.last_item(); it.next_item()) {
    const long i = it.item();
    if (i < 0 || static_cast<std::size_t>(i) >= count) return false;
    const int k = part.by_variable[static_cast<std::size_t>(i)];
    if (k < 0) return false;
    // Maps mostly keep the order: an insertion costs one comparison then.
    std::size_t at = support_.size();
    support_.push_back(k);
    for (; at > 0 && support_[at - 1] > k; --at)
      support_[at] = support_[at - 1];
    support_[at] = k;
  }
  return true;
}

void composition_builder::define_copy(Bddexpressionwood* wood, bdd v, bdd f, bool known) {
  if (known) {
    wood->define(v, f, support_);
  } else {
    wood->define(v, f);
  }
}

void composition_builder::define_or_join(bdd v, bdd f, bool known) {
  bddpp_manager* man = storage_->manager.get();
  Bddexpressionwood* defs = storage_->def_wood.get();
  Bddexpression* defined = defs->exp_at(man->Bdd_if_index(v));
  if (defined == nullptr) {
    define_copy(defs, v, f, known);
    return;
  }
  // An or may read fewer variables than its operands: its support is walked.
  bdd joined = man->Bdd_or(defined->my_bdd_exp(), f);
  defined->setBddExp(joined);
  man->Bdd_free(joined);
}

void composition_builder::define_or_join_variable(bdd v, int k) {
  const bool known = !tessaro::reference_paths();
  if (known) support_.assign(1, k);
  define_or_join(v, var(k), known);
}

void composition_builder::copy_definitions() {
  bddpp_manager* man = storage_->manager.get();
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    part_copy& part = *parts_[p];
    for (int i = 0; i < part.automaton->nb_equ_def(); ++i) {
      const Bddexpression* e = part.automaton->equ_def(i);
      bdd left = part.copier.copy(e->my_bdd_var());
      bdd right = part.copier.copy(e->my_bdd_exp());
      define_or_join(left, right, copied_support(part, *e));
      man->Bdd_free(left);
      man->Bdd_free(right);
    }
    for (const signal_copy& c : plan_.copies[p])
      define_or_join_variable(var(c.target), c.source);
  }
}

void composition_builder::connect(int c) {
  const planned_wire& w = plan_.wires[static_cast<std::size_t>(c)];
  if (tessaro::reference_paths()) {
    storage_->def_wood->define(var(w.input_var), var(w.output_var));
    return;
  }
  support_.assign(1, w.output_var);
  storage_->def_wood->define(var(w.input_var), var(w.output_var), support_);
}

void composition_builder::copy_assertions() {
  bddpp_manager* man = storage_->manager.get();
  for (const auto& part : parts_) {
    const b_automaton& a = *part->automaton;
    if (a.assertion_bdd() != 0) conjoin(man, assertion_, part->copier.copy(a.assertion_bdd()));
    if (a.invariant_bdd() != 0) conjoin(man, invariant_, part->copier.copy(a.invariant_bdd()));
  }
}

std::unique_ptr<b_automaton> composition_builder::finish() {
  return std::make_unique<b_automaton>(std::move(storage_), initial_state_, assertion_, invariant_);
}
