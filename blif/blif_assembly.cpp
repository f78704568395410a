// Assembly of one automaton from the lists of a parsed model: locals,
// declaration, transitions, initial state, definitions.
#include <string_view>
#include <unordered_set>

#include "blif/blif_parser.h"
#include "support/reference_paths.h"

void class_blif_parser::build_automaton() {
  check_signals();
  compute_locals();
  declaration = new b_autom_dec(state_vars, inputs, outputs, locals);
  compute_transitions();
  bddpp_manager* man = declaration->manager_associe();
  automaton = new b_automaton(declaration, initial_state, man->Bdd_one(), man->Bdd_zero());
}

void class_blif_parser::compute_locals() {
  locals.clear();
  // Views of the names of the model's lists, which stay in place meanwhile.
  std::unordered_set<std::string_view> known;
  known.reserve(inputs.size() + outputs.size() + state_vars.size() + equations.size() +
                latch_inputs.size());
  for (const auto* list : {&inputs, &outputs, &state_vars})
    known.insert(list->begin(), list->end());
  for (const class_equation_blif& table : equations) {
    for (const std::string& name : table.vars) {
      if (known.insert(name).second) locals.push_back(name);
    }
  }
  // A latch input that nothing else names is an undriven signal of the model.
  for (const std::string& name : latch_inputs) {
    if (known.insert(name).second) locals.push_back(name);
  }
}

void class_blif_parser::compute_transitions() {
  bddpp_manager* man = declaration->manager_associe();
  auto d = latch_inputs.begin();
  for (const std::string& s : state_vars) {
    trans_equations.push_back(Bddexpression(s, declaration->trans_wood_associee(),
                                            declaration->bdd_ident_associe(s),
                                            declaration->bdd_ident_associe(*d), 0, 0));
    ++d;
  }
  // The initial state is the product of one literal per latch. State
  // variables come first in the order, so it is built from the last latch
  // up: each conjunction then puts a new top node over the product so far.
  initial_state = man->Bdd_one();
  auto conjoin = [&](const std::string& state_var, const std::string& value) {
    bdd var = declaration->bdd_ident_associe(state_var);
    bdd literal = value == "0" ? man->Bdd_not(var) : man->Bdd_dup(var);
    bdd conj = man->Bdd_and(literal, initial_state);
    man->Bdd_free(literal);
    man->Bdd_free(initial_state);
    initial_state = conj;
  };
  if (tessaro::reference_paths()) {
    auto v = latch_init_values.begin();
    for (auto s = state_vars.begin(); s != state_vars.end(); ++s, ++v)
      conjoin(*s, *v);
  } else {
    auto v = latch_init_values.rbegin();
    for (auto s = state_vars.rbegin(); s != state_vars.rend(); ++s, ++v)
      conjoin(*s, *v);
  }
  for (class_equation_blif& table : equations)
    def_equations.push_back(table.bddexpression_convert(declaration->def_wood_associee()));
}
