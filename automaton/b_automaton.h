// A Boolean automaton: named state variables, inputs, outputs and locals of
// one BDD manager, the transition and definition tables over it, and the
// initial state, assertion and invariant. Built from a declaration by the
// BLIF reader, or by the composition of several automata
// (automaton/composition.h).
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "automaton/b_autom_dec.h"
#include "automaton/b_automaton_connector.h"
#include "support/diagnostic.h"

class b_automaton {
 public:
  // Takes over the declaration's names and tables.
  b_automaton(b_autom_dec* dec, bdd init, bdd assertion, bdd invariant);
  // Takes over names and tables built by another means (the composition).
  b_automaton(std::shared_ptr<b_autom_storage> storage, bdd init, bdd assertion, bdd invariant);
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

  const std::vector<std::string>& state_var_names() const { return names->state_var_names; }
  const std::vector<std::string>& input_names() const { return names->input_names; }
  const std::vector<std::string>& output_names() const { return names->output_names; }
  const std::vector<std::string>& local_names() const { return names->local_names; }

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
  // The same model as BLIF_put(out, 2, model_name), except that a cover
  // past the prime limit is an irredundant cover of primes
  // (bddpp_manager::BLIF_print_wide) and that no cover ends the program:
  // the signals given such a cover are appended to `wide_signals`, and a
  // cover too large to write stops the model there with a refusal naming
  // its signal (no file).
  tessaro::outcome BLIF_put_wide(std::ostream& out, const std::string& model_name,
                                 std::vector<std::string>& wide_signals) const;

  // Renames every signal: the variable named n, and n in the name lists,
  // become display(n), so that BLIF_put writes the names a driver shows
  // instead of those the composition made. Refused, with nothing renamed,
  // when two variables would get the same name.
  tessaro::outcome rename_signals(const std::function<std::string(const std::string&)>& display);

 private:
  // The model line, the interface and the latches, then an empty line.
  void BLIF_put_head(std::ostream& out, const std::string& model_name) const;

  std::shared_ptr<b_autom_storage> names;
  bdd initial_state = 0;
  bdd assertion = 0;
  bdd invariant = 0;
};
