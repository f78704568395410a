// A Boolean automaton: named state variables, inputs, outputs and locals of
// one BDD manager, the transition and definition tables over it, and the
// initial state, assertion and invariant. Built from a declaration by the
// BLIF reader, or by composing several automata.
#pragma once

#include <list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "automaton/b_autom_dec.h"
#include "automaton/b_automaton_connector.h"

class b_automaton {
 public:
  // Takes over the declaration's names and tables.
  b_automaton(b_autom_dec* dec, bdd init, bdd assertion, bdd invariant);
  // The composition of n parts wired by nconn connectors; state variables and
  // locals of part p are prefixed with instance_names[p] and "_".
  b_automaton(int n, b_automaton** parts, std::string* instance_names, int nconn,
              b_automaton_connector* conns);
  b_automaton(const b_automaton&) = delete;
  b_automaton& operator=(const b_automaton&) = delete;

  int nb_state_vars() const { return static_cast<int>(names->state_var_names.size()); }
  int nb_inputs() const { return static_cast<int>(names->input_names.size()); }
  int nb_outputs() const { return static_cast<int>(names->output_names.size()); }
  int nb_locals() const { return static_cast<int>(names->local_names.size()); }

  // The i-th name of a list, or "?" with a message when i is out of range.
  std::string nom_state_var(int i) const;
  std::string nom_input(int i) const;
  std::string nom_output(int i) const;
  std::string nom_local(int i) const;

  std::list<std::string> state_vars_list() const;
  std::list<std::string> inputs_list() const;
  std::list<std::string> outputs_list() const;
  std::list<std::string> locals_list() const;

  int nb_equ_trans() const;
  int nb_equ_def() const;
  // The i-th equation in ascending order of its left member's index.
  Bddexpression* equ_trans(int i) const;
  Bddexpression* equ_def(int i) const;

  bddpp_manager* manager_associe() const;
  Bddexpressionwood* trans_wood_associee() const { return names->trans_wood.get(); }
  Bddexpressionwood* def_wood_associee() const { return names->def_wood.get(); }
  std::string nom_ident_associe(bdd f) const;
  bdd bdd_ident_associe(const std::string& name) const;

  bdd initial_state_bdd() const { return initial_state; }
  bdd assertion_bdd() const { return assertion; }
  bdd invariant_bdd() const { return invariant; }

  // Copies f into `target`, variable k of this automaton's manager becoming
  // the target variable of index map[k]. The result is a new reference.
  bdd bdd_isomorphe(bddpp_manager* target, bdd f, const int* map) const;

  // Writes the automaton as one BLIF model.
  void BLIF_put(std::ostream& out, int method, const std::string& model_name) const;

 private:
  std::shared_ptr<b_autom_storage> names;
  int max_date = 0;
  bdd initial_state = 0;
  bdd assertion = 0;
  bdd invariant = 0;
};
