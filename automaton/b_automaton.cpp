// The automaton record built on a declaration, and its accessors.
#include "automaton/b_automaton.h"

#include <iostream>
#include <utility>

b_automaton::b_automaton(b_autom_dec* dec, bdd init, bdd assert_fn, bdd invariant_fn)
    : names(dec->storage), initial_state(init), assertion(assert_fn), invariant(invariant_fn) {}

b_automaton::b_automaton(std::shared_ptr<b_autom_storage> storage, bdd init, bdd assert_fn,
                         bdd invariant_fn)
    : names(std::move(storage)),
      initial_state(init),
      assertion(assert_fn),
      invariant(invariant_fn) {}

namespace {

std::string name_at(const std::vector<std::string>& names, int i, const char* accessor) {
  if (i < 0 || i >= static_cast<int>(names.size())) {
    std::cerr << "dans b_automaton::" << accessor << "() : indice hors limite !" << std::endl;
    return "?";
  }
  return names[i];
}

std::list<std::string> as_list(const std::vector<std::string>& names) {
  return std::list<std::string>(names.begin(), names.end());
}

int equation_count(const Bddexpressionwood* wood) {
  return wood ? static_cast<int>(wood->exp_number()) : 0;
}

}  // namespace

std::string b_automaton::nom_state_var(int i) const {
  return name_at(names->state_var_names, i, "nom_state_var");
}
std::string b_automaton::nom_input(int i) const {
  return name_at(names->input_names, i, "nom_input");
}
std::string b_automaton::nom_output(int i) const {
  return name_at(names->output_names, i, "nom_output");
}
std::string b_automaton::nom_local(int i) const {
  return name_at(names->local_names, i, "nom_local");
}

std::list<std::string> b_automaton::state_vars_list() const {
  return as_list(names->state_var_names);
}
std::list<std::string> b_automaton::inputs_list() const {
  return as_list(names->input_names);
}
std::list<std::string> b_automaton::outputs_list() const {
  return as_list(names->output_names);
}
std::list<std::string> b_automaton::locals_list() const {
  return as_list(names->local_names);
}

int b_automaton::nb_equ_trans() const {
  return equation_count(names->trans_wood.get());
}
int b_automaton::nb_equ_def() const {
  return equation_count(names->def_wood.get());
}

Bddexpression* b_automaton::equ_trans(int i) const {
  return names->trans_wood->exp(i);
}
Bddexpression* b_automaton::equ_def(int i) const {
  return names->def_wood->exp(i);
}

bddpp_manager* b_automaton::manager_associe() const {
  return names->def_wood->my_bdd_manager();
}

std::string b_automaton::nom_ident_associe(bdd f) const {
  return names->def_wood->Name_var_by_bdd(f);
}

bdd b_automaton::bdd_ident_associe(const std::string& name) const {
  return names->def_wood->Bdd_var_by_name(name);
}
