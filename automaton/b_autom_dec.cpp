// Declaration of an automaton: names, manager and empty tables.
#include "automaton/b_autom_dec.h"

#include <utility>

#include "support/list_util.h"

b_autom_dec::b_autom_dec(std::list<std::string>& state_vars, std::list<std::string>& inputs,
                         std::list<std::string>& outputs, std::list<std::string>& locals)
    : b_autom_dec(tessaro::array_convert(state_vars), tessaro::array_convert(inputs),
                  tessaro::array_convert(outputs), tessaro::array_convert(locals)) {}

b_autom_dec::b_autom_dec(std::vector<std::string> state_vars, std::vector<std::string> inputs,
                         std::vector<std::string> outputs, std::vector<std::string> locals)
    : storage(std::make_shared<b_autom_storage>()) {
  storage->state_var_names = std::move(state_vars);
  storage->input_names = std::move(inputs);
  storage->output_names = std::move(outputs);
  storage->local_names = std::move(locals);
  storage->manager = std::make_unique<bddpp_manager>();
  bddpp_manager* man = storage->manager.get();
  storage->trans_wood = std::make_unique<Bddexpressionwood>(man);
  storage->def_wood = std::make_unique<Bddexpressionwood>(man);
  // Every name gets its variable (a name listed twice keeps its first one),
  // then both tables are brought up to the variables at once.
  man->Reserve_vars(static_cast<long>(storage->state_var_names.size() +
                                      storage->input_names.size() + storage->output_names.size() +
                                      storage->local_names.size()));
  for (const auto* list : {&storage->state_var_names, &storage->input_names, &storage->output_names,
                           &storage->local_names})
    for (const std::string& name : *list)
      man->New_var_last(name);
  storage->trans_wood->update_bdd_vars();
  storage->def_wood->update_bdd_vars();
}

void b_autom_dec::add_ident(const std::string& name) {
  if (storage->def_wood->Bdd_var_by_name(name) != 0) return;
  storage->local_names.push_back(name);
  storage->trans_wood->New_var_last(name);
  storage->def_wood->New_var_last(name);
}

bddpp_manager* b_autom_dec::manager_associe() const {
  return storage->def_wood->my_bdd_manager();
}

bdd b_autom_dec::bdd_ident_associe(const std::string& name) const {
  return storage->def_wood->Bdd_var_by_name(name);
}

std::string b_autom_dec::nom_ident_associe(bdd f) const {
  return storage->def_wood->Name_var_by_bdd(f);
}
