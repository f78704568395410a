// Declaration of an automaton: its four name lists (state variables, inputs,
// outputs, locals), one fresh BDD manager with one variable per name, and
// the two empty equation tables (transitions, definitions) over it.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "bddpp/bddpp_manager.h"
#include "expr/bdd_expression.h"

// The names and tables shared by a declaration and the automaton built on it.
// The storage owns the manager, which outlives the tables built over it.
struct b_autom_storage {
  std::unique_ptr<bddpp_manager> manager;
  std::vector<std::string> state_var_names;
  std::vector<std::string> input_names;
  std::vector<std::string> output_names;
  std::vector<std::string> local_names;
  std::unique_ptr<Bddexpressionwood> trans_wood;
  std::unique_ptr<Bddexpressionwood> def_wood;
};

class b_autom_dec {
 public:
  // Creates the manager, both tables, and one variable per name, appended in
  // the order state variables, inputs, outputs, locals (a name met again
  // keeps its first variable).
  b_autom_dec(std::list<std::string>& state_vars, std::list<std::string>& inputs,
              std::list<std::string>& outputs, std::list<std::string>& locals);
  // The same from arrays, taken over.
  b_autom_dec(std::vector<std::string> state_vars, std::vector<std::string> inputs,
              std::vector<std::string> outputs, std::vector<std::string> locals);

  // Appends a new local unless a variable of that name exists.
  void add_ident(const std::string& name);

  bddpp_manager* manager_associe() const;
  Bddexpressionwood* trans_wood_associee() const { return storage->trans_wood.get(); }
  Bddexpressionwood* def_wood_associee() const { return storage->def_wood.get(); }
  // The variable of a name, null when there is none.
  bdd bdd_ident_associe(const std::string& name) const;
  // The name of the top variable of f.
  std::string nom_ident_associe(bdd f) const;

  int nb_state_vars() const { return static_cast<int>(storage->state_var_names.size()); }
  int nb_inputs() const { return static_cast<int>(storage->input_names.size()); }
  int nb_outputs() const { return static_cast<int>(storage->output_names.size()); }
  int nb_locals() const { return static_cast<int>(storage->local_names.size()); }

  // Handed over to the automaton built on this declaration.
  std::shared_ptr<b_autom_storage> storage;
};
