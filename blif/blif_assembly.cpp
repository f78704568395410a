// Assembly of one automaton from the lists of a parsed model: locals,
// declaration, transitions, initial state, definitions.
#include <unordered_set>

#include "blif/blif_parser.h"

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
  std::unordered_set<std::string> known;
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
  initial_state = man->Bdd_one();
  auto d = latch_inputs.begin();
  auto v = latch_init_values.begin();
  for (const std::string& s : state_vars) {
    bdd var = declaration->bdd_ident_associe(s);
    trans_equations.push_back(Bddexpression(s, declaration->trans_wood_associee(), var,
                                            declaration->bdd_ident_associe(*d), 0, 0));
    bdd literal = *v == "0" ? man->Bdd_not(var) : man->Bdd_dup(var);
    bdd conj = man->Bdd_and(initial_state, literal);
    man->Bdd_free(literal);
    man->Bdd_free(initial_state);
    initial_state = conj;
    ++d;
    ++v;
  }
  for (class_equation_blif& table : equations)
    def_equations.push_back(table.bddexpression_convert(declaration->def_wood_associee()));
}
