// Assembly of one automaton from a model record: checks, locals,
// declaration, transitions, initial state, definitions.
#include "blif/blif_assembly.h"

#include <utility>

#include "automaton/b_autom_dec.h"
#include "support/name_set.h"
#include "support/reference_paths.h"

namespace {

// The names of a list, each once, in order of first occurrence. The set
// holds views of the list's own names, which stay in place meanwhile.
std::vector<std::string> distinct(const std::vector<std::string>& names) {
  std::vector<std::string> kept;
  kept.reserve(names.size());
  tessaro::name_set seen(names.size());
  for (const std::string& name : names)
    if (seen.insert(name)) kept.push_back(name);
  return kept;
}

std::vector<std::string> latch_outputs(const blif_model& model) {
  std::vector<std::string> names;
  names.reserve(model.latches.size());
  for (const blif_latch& latch : model.latches)
    names.push_back(latch.output);
  return names;
}

// The locals of a model and the variable of every table name, known from
// one pass over the names.
struct model_names {
  // Every name of a table that is neither an input, an output, a latch
  // output nor already listed, in order of first occurrence; then every
  // latch input that occurs nowhere else (an undriven signal of the model).
  std::vector<std::string> locals;
  // The manager id of each name of each table, table after table: the
  // declaration creates one variable per new name, in the order latch
  // outputs, inputs, outputs, locals, so a name's id is its rank among the
  // distinct names in that order.
  std::vector<int> table_ids;
};

model_names number_names(const blif_model& model) {
  model_names numbered;
  std::size_t table_names = 0;
  for (const blif_table& table : model.tables)
    table_names += table.names.size();
  numbered.table_ids.reserve(table_names);
  // Most locals are the outputs of tables.
  numbered.locals.reserve(model.tables.size());
  // Views of the model's names, which stay in place meanwhile.
  tessaro::name_set ids(model.inputs.size() + model.outputs.size() + 2 * model.latches.size() +
                        model.tables.size());
  int next = 0;
  // The id of `name`, a new one when it is new.
  auto id_of = [&](const std::string& name, bool& fresh) {
    const int* known = ids.insert_or_find(name, next);
    fresh = known == nullptr;
    return fresh ? next++ : *known;
  };
  bool fresh = false;
  for (const blif_latch& latch : model.latches)
    id_of(latch.output, fresh);
  for (const std::string& name : model.inputs)
    id_of(name, fresh);
  for (const std::string& name : model.outputs)
    id_of(name, fresh);
  for (const blif_table& table : model.tables)
    for (const std::string& name : table.names) {
      numbered.table_ids.push_back(id_of(name, fresh));
      if (fresh) numbered.locals.push_back(name);
    }
  for (const blif_latch& latch : model.latches) {
    id_of(latch.input, fresh);
    if (fresh) numbered.locals.push_back(latch.input);
  }
  return numbered;
}

// One transition per latch: the next value of its output is its input,
// whose variable is all its support.
void enter_transitions(const blif_model& model, b_autom_dec& dec) {
  bddpp_manager* man = dec.manager_associe();
  std::vector<long> support(1);
  for (const blif_latch& latch : model.latches) {
    const bdd input = dec.bdd_ident_associe(latch.input);
    support[0] = man->Bdd_if_index(input);
    dec.trans_wood_associee()->define(latch.output, dec.bdd_ident_associe(latch.output), input,
                                      support);
  }
}

// The product of one literal per latch. State variables come first in the
// order, so it is built from the last latch up: each conjunction then puts
// a new top node over the product so far.
bdd initial_state(const blif_model& model, b_autom_dec& dec) {
  bddpp_manager* man = dec.manager_associe();
  bdd state = man->Bdd_one();
  auto conjoin = [&](const blif_latch& latch) {
    bdd var = dec.bdd_ident_associe(latch.output);
    bdd literal = latch.initial_value == 0 ? man->Bdd_not(var) : man->Bdd_dup(var);
    bdd conj = man->Bdd_and(literal, state);
    man->Bdd_free(literal);
    man->Bdd_free(state);
    state = conj;
  };
  if (tessaro::reference_paths()) {
    for (auto it = model.latches.begin(); it != model.latches.end(); ++it)
      conjoin(*it);
  } else {
    for (auto it = model.latches.rbegin(); it != model.latches.rend(); ++it)
      conjoin(*it);
  }
  return state;
}

}  // namespace

tessaro::outcome assemble_automaton(const blif_model& model,
                                    std::unique_ptr<b_automaton>& automaton) {
  if (tessaro::outcome checked = check_model_signals(model); !checked) return checked;
  return assemble_checked_automaton(model, automaton);
}

tessaro::outcome assemble_checked_automaton(const blif_model& model,
                                            std::unique_ptr<b_automaton>& automaton) {
  model_names numbered = number_names(model);
  b_autom_dec dec(latch_outputs(model), distinct(model.inputs), distinct(model.outputs),
                  std::move(numbered.locals));
  enter_transitions(model, dec);
  const bdd init = initial_state(model, dec);
  bddpp_manager* man = dec.manager_associe();
  const int* ids = numbered.table_ids.data();
  table_room room;
  for (const blif_table& table : model.tables) {
    tessaro::outcome entered = enter_table(table, model.file, dec.def_wood_associee(), ids, room);
    if (!entered) {
      man->Bdd_free(init);
      return entered;
    }
    ids += table.names.size();
  }
  automaton = std::make_unique<b_automaton>(&dec, init, man->Bdd_one(), man->Bdd_zero());
  return {};
}
