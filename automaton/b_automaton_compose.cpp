// Composition of several automata into one, with its trace on standard
// error.
//
// Every variable of a part is numbered by its position in the part's lists
// (state variables, inputs, outputs, locals). The composition first gives
// every position its composed index, then derives, for every manager
// variable of the part, the composed index of the same signal by name: a
// name listed twice in a part (a latch output also listed as an output) has
// one manager variable, and its functions must read the latch's value.
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "automaton/b_automaton.h"
#include "support/chunked_output.h"
#include "support/text.h"

namespace {

// Names of one part in its own numbering.
struct part_view {
  b_automaton* part;
  std::string prefix;  // instance name and "_"
  std::vector<std::string> positions;
  int nb_state_vars, nb_inputs, nb_outputs;

  std::unordered_map<std::string, int> first_state_var, first_input;

  // Position of the first state variable / input of that name, or -1.
  int state_var(const std::string& name) const { return lookup(first_state_var, name); }
  int input(const std::string& name) const { return lookup(first_input, name); }

 private:
  static int lookup(const std::unordered_map<std::string, int>& m, const std::string& name) {
    auto it = m.find(name);
    return it == m.end() ? -1 : it->second;
  }
};

// Composed index of every position of a part, then of every manager variable.
struct part_maps {
  std::vector<int> by_position;
  std::vector<int> by_variable;
};

[[noreturn]] void refuse(const std::string& text) {
  std::cerr << "error in merge: " << text << std::endl;
  std::exit(1);
}

part_view view_of(b_automaton* part, const std::string& instance_name) {
  part_view v;
  v.part = part;
  v.prefix = instance_name + "_";
  v.nb_state_vars = part->nb_state_vars();
  v.nb_inputs = part->nb_inputs();
  v.nb_outputs = part->nb_outputs();
  for (const auto& list :
       {part->state_vars_list(), part->inputs_list(), part->outputs_list(), part->locals_list()})
    v.positions.insert(v.positions.end(), list.begin(), list.end());
  for (int pos = 0; pos < v.nb_state_vars; ++pos)
    v.first_state_var.emplace(v.positions[pos], pos);
  for (int pos = v.nb_state_vars; pos < v.nb_state_vars + v.nb_inputs; ++pos)
    v.first_input.emplace(v.positions[pos], pos);
  return v;
}

// The composed names, in index order, with a position lookup per list.
class name_list {
 public:
  // 0-based position of `name`, or -1.
  int find(const std::string& name) const {
    auto it = where_.find(name);
    return it == where_.end() ? -1 : it->second;
  }
  int append(const std::string& name) {
    where_.emplace(name, static_cast<int>(names_.size()));
    names_.push_back(name);
    return static_cast<int>(names_.size()) - 1;
  }
  std::vector<std::string>& names() { return names_; }

 private:
  std::vector<std::string> names_;
  std::unordered_map<std::string, int> where_;
};

// Gives every name of the result one signal; refuses names that would
// denote two.
void check_distinct(const b_autom_storage& s) {
  std::unordered_set<std::string_view> seen;
  seen.reserve(s.state_var_names.size() + s.input_names.size() + s.output_names.size() +
               s.local_names.size());
  for (const auto* list : {&s.state_var_names, &s.input_names, &s.output_names, &s.local_names}) {
    for (const std::string& name : *list) {
      if (!seen.insert(name).second)
        refuse("the name " + name + " would denote two different signals of the merged model");
    }
  }
}

// Adds var = f to the definition table, or ors f into var's definition.
void define(Bddexpressionwood* wood, bddpp_manager* man, bdd var, bdd f) {
  Bddexpression* known = wood->exp_at(man->Bdd_if_index(var));
  if (known == nullptr) {
    Bddexpression(wood, var, f, 0, 0);
    return;
  }
  bdd joined = man->Bdd_or(known->my_bdd_exp(), f);
  known->setBddExp(joined);
  man->Bdd_free(joined);
}

}  // namespace

b_automaton::b_automaton(int n, b_automaton** parts, std::string* instance_names, int nconn,
                         b_automaton_connector* conns)
    : names(std::make_shared<b_autom_storage>()) {
  std::vector<part_view> views;
  for (int p = 0; p < n; ++p)
    views.push_back(view_of(parts[p], instance_names[p]));
  std::vector<part_maps> maps(n);
  for (int p = 0; p < n; ++p)
    maps[p].by_position.assign(views[p].positions.size(), -1);

  // Connected inputs and outputs, per part and signal.
  std::vector<std::vector<char>> input_wired(n), output_wired(n);
  for (int p = 0; p < n; ++p) {
    input_wired[p].assign(views[p].nb_inputs, 0);
    output_wired[p].assign(views[p].nb_outputs, 0);
  }
  for (int c = 0; c < nconn; ++c) {
    const b_automaton_connector& w = conns[c];
    int oi = w.my_output_instance_id(), os = w.my_output_signal_id();
    int ii = w.my_input_instance_id(), is = w.my_input_signal_id();
    if (oi < 0 || oi >= n || os < 0 || os >= views[oi].nb_outputs || ii < 0 || ii >= n || is < 0 ||
        is >= views[ii].nb_inputs)
      refuse("connector " + std::to_string(c) + " names no output or no input");
    if (input_wired[ii][is]) refuse("two connectors drive the same input");
    input_wired[ii][is] = 1;
    output_wired[oi][os] = 1;
  }

  // State variables.
  for (int p = 0; p < n; ++p) {
    for (int k = 0; k < views[p].nb_state_vars; ++k) {
      maps[p].by_position[k] = static_cast<int>(names->state_var_names.size());
      names->state_var_names.push_back(views[p].prefix + views[p].positions[k]);
    }
  }
  const int S = static_cast<int>(names->state_var_names.size());

  // Inputs: a connected input becomes a connection local, an input named
  // like an earlier one is shared.
  name_list inputs, outputs, wire_locals;
  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    for (int k = 0; k < v.nb_inputs; ++k) {
      const std::string& name = v.positions[v.nb_state_vars + k];
      int& entry = maps[p].by_position[v.nb_state_vars + k];
      if (input_wired[p][k]) {
        wire_locals.append(v.prefix + name);
      } else {
        int q = inputs.find(name);
        entry = S + (q >= 0 ? q : inputs.append(name));
      }
    }
  }
  const int I = static_cast<int>(inputs.names().size());

  // Outputs, the same way. An output that is also the part's latch output,
  // when connected, is that state variable; an output that is also the
  // part's input is that input, unless the input is connected and the output
  // is not. Those get no variable of their own; an unconnected one stays in
  // the interface under its name. The other outputs named like a latch or an
  // input of their part get a variable defined as that signal.
  // An output defined by several parts is the or of their definitions. A
  // part that reads such an output itself must still read its own
  // definition: that definition goes to a private local of the part.
  std::unordered_map<std::string, int> defining_parts;
  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    for (int k = 0; k < v.nb_outputs; ++k) {
      const std::string& name = v.positions[v.nb_state_vars + v.nb_inputs + k];
      if (!output_wired[p][k] && v.input(name) < 0) ++defining_parts[name];
    }
  }
  // The variables each part's equations read, by index in the part's manager.
  std::vector<std::vector<char>> read_index(n);
  for (int p = 0; p < n; ++p) {
    read_index[p].assign(static_cast<std::size_t>(parts[p]->manager_associe()->Nb_bdd_vars()), 0);
    for (Bddexpressionwood* wood : {parts[p]->trans_wood_associee(), parts[p]->def_wood_associee()})
      for (long i : wood->defined_indexes())
        for (tessaro::scanset<long> it(wood->exp_at(i)->dependances()); !it.last_item();
             it.next_item())
          read_index[p][static_cast<std::size_t>(it.item())] = 1;
  }
  auto reads = [&](int p, const std::string& name) {
    const long i = parts[p]->manager_associe()->Index_var_by_name(name);
    return i >= 0 && read_index[p][static_cast<std::size_t>(i)] != 0;
  };
  struct private_output {
    int part, position, output_entry, local;
  };
  std::vector<private_output> private_outputs;
  std::vector<std::string> private_locals;

  std::vector<std::string> interface_outputs;
  std::unordered_set<std::string> aliases;
  std::vector<std::pair<int, int>> input_aliases;  // (part, position) resolved later
  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    for (int k = 0; k < v.nb_outputs; ++k) {
      const int pos = v.nb_state_vars + v.nb_inputs + k;
      const std::string& name = v.positions[pos];
      int& entry = maps[p].by_position[pos];
      const int latch = v.state_var(name);
      const int input = v.input(name);
      if (latch >= 0 && output_wired[p][k]) {
        entry = maps[p].by_position[latch];
      } else if (input >= 0 && (output_wired[p][k] || !input_wired[p][input - v.nb_state_vars])) {
        if (output_wired[p][k] && input_wired[p][input - v.nb_state_vars])
          refuse("the signal " + name + " of " + instance_names[p] +
                 " is an input and an output wired to the other model both ways: it would "
                 "drive itself");
        if (!output_wired[p][k]) {
          if (outputs.find(name) >= 0)
            refuse("the output " + name + " of " + instance_names[p] +
                   " is its own input and is also defined elsewhere");
          if (aliases.insert(name).second) interface_outputs.push_back(name);
        }
        input_aliases.emplace_back(p, pos);
      } else if (output_wired[p][k]) {
        wire_locals.append(v.prefix + name);
      } else {
        int q = outputs.find(name);
        if (aliases.count(name))
          refuse("the output " + name + " is the input of one instance and defined by another");
        if (q < 0) interface_outputs.push_back(name);
        entry = S + I + (q >= 0 ? q : outputs.append(name));
        if (defining_parts[name] > 1 && reads(p, name) && v.state_var(name) < 0) {
          private_outputs.push_back({p, pos, entry, static_cast<int>(private_locals.size())});
          private_locals.push_back(v.prefix + name);
        }
      }
    }
  }
  const int O = static_cast<int>(outputs.names().size());

  // Locals: the connection locals, the private outputs, then the prefixed
  // locals of every part.
  names->input_names = inputs.names();
  names->output_names = outputs.names();
  names->local_names = wire_locals.names();
  for (private_output& o : private_outputs) {
    o.local = S + I + O + static_cast<int>(names->local_names.size());
    maps[o.part].by_position[o.position] = o.local;
    names->local_names.push_back(private_locals[&o - private_outputs.data()]);
  }
  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    const int first_local = v.nb_state_vars + v.nb_inputs + v.nb_outputs;
    for (int k = first_local; k < static_cast<int>(v.positions.size()); ++k) {
      maps[p].by_position[k] = S + I + O + static_cast<int>(names->local_names.size());
      names->local_names.push_back(v.prefix + v.positions[k]);
    }
  }
  check_distinct(*names);

  // Pending entries: connected inputs and outputs find their local by name.
  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    for (int pos = v.nb_state_vars; pos < v.nb_state_vars + v.nb_inputs + v.nb_outputs; ++pos) {
      if (maps[p].by_position[pos] != -1) continue;
      if (pos >= v.nb_state_vars + v.nb_inputs && v.input(v.positions[pos]) >= 0) continue;
      int l = wire_locals.find(v.prefix + v.positions[pos]);
      maps[p].by_position[pos] = S + I + O + l;
    }
  }
  for (const auto& alias : input_aliases) {
    const part_view& v = views[alias.first];
    const int input = v.input(v.positions[alias.second]);
    maps[alias.first].by_position[alias.second] = maps[alias.first].by_position[input];
  }

  // Every manager variable of a part takes the composed index of the first
  // position of its name.
  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    bddpp_manager* man = v.part->manager_associe();
    maps[p].by_variable.assign(man->Nb_bdd_vars(), -1);
    std::vector<char> seen(maps[p].by_variable.size(), 0);
    for (int pos = 0; pos < static_cast<int>(v.positions.size()); ++pos) {
      const long i = man->Index_var_by_name(v.positions[pos]);
      if (i < 0 || seen[static_cast<std::size_t>(i)]) continue;
      seen[static_cast<std::size_t>(i)] = 1;
      maps[p].by_variable[static_cast<std::size_t>(i)] = maps[p].by_position[pos];
    }
  }

  names->manager = std::make_unique<bddpp_manager>();
  bddpp_manager* man = names->manager.get();
  names->trans_wood = std::make_unique<Bddexpressionwood>(man);
  names->def_wood = std::make_unique<Bddexpressionwood>(man);
  Bddexpressionwood* trans = names->trans_wood.get();
  Bddexpressionwood* defs = names->def_wood.get();
  for (const auto* list :
       {&names->state_var_names, &names->input_names, &names->output_names, &names->local_names})
    for (const std::string& name : *list)
      man->New_var_last(name);
  trans->update_bdd_vars();
  defs->update_bdd_vars();

  names->output_names = interface_outputs;

  // The trace is gathered and written in large chunks, and at the end of
  // each block.
  tessaro::chunked_ostream trace(std::cerr);
  auto emit = [&trace]() { trace.push(); };
  trace << *defs << std::endl;
  trace << "tables des connexions :" << nconn << std::endl;
  for (int c = 0; c < nconn; ++c)
    trace << conns[c] << std::endl;
  emit();

  initial_state = man->Bdd_one();
  for (int p = 0; p < n; ++p) {
    bdd copy = parts[p]->bdd_isomorphe(man, parts[p]->initial_state, maps[p].by_variable.data());
    bdd conj = man->Bdd_and(initial_state, copy);
    man->Bdd_free(copy);
    man->Bdd_free(initial_state);
    initial_state = conj;
  }

  for (int p = 0; p < n; ++p) {
    const int* map = maps[p].by_variable.data();
    for (int i = 0; i < parts[p]->nb_equ_trans(); ++i) {
      const Bddexpression* e = parts[p]->equ_trans(i);
      bdd left = parts[p]->bdd_isomorphe(man, e->my_bdd_var(), map);
      bdd right = parts[p]->bdd_isomorphe(man, e->my_bdd_exp(), map);
      Bddexpression(trans, left, right, 0, 0);
      man->Bdd_free(left);
      man->Bdd_free(right);
    }
  }
  trace << "a merger" << n << std::endl;
  emit();

  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    const int* map = maps[p].by_variable.data();
    for (int i = 0; i < parts[p]->nb_equ_def(); ++i) {
      const Bddexpression* e = parts[p]->equ_def(i);
      bdd left = parts[p]->bdd_isomorphe(man, e->my_bdd_var(), map);
      bdd right = parts[p]->bdd_isomorphe(man, e->my_bdd_exp(), map);
      define(defs, man, left, right);
      man->Bdd_free(left);
      man->Bdd_free(right);
    }
    // An output with a variable of its own that is also the part's latch
    // output or input carries that signal's value.
    for (int k = 0; k < v.nb_outputs; ++k) {
      const int pos = v.nb_state_vars + v.nb_inputs + k;
      const int entry = maps[p].by_position[pos];
      if (entry < S + I || entry >= S + I + O) continue;
      int source = v.state_var(v.positions[pos]);
      if (source < 0) source = v.input(v.positions[pos]);
      if (source >= 0)
        define(defs, man, man->Bdd_var_by_index(entry),
               man->Bdd_var_by_index(maps[p].by_position[source]));
    }
    for (const private_output& o : private_outputs)
      if (o.part == p)
        define(defs, man, man->Bdd_var_by_index(o.output_entry), man->Bdd_var_by_index(o.local));
  }

  for (int p = 0; p < n; ++p) {
    const part_view& v = views[p];
    trace << std::endl;
    trace << "AUTOMATE: " << p << " nb_state_vars " << v.nb_state_vars << " nb_inputs "
          << v.nb_inputs << " nb_outputs " << v.nb_outputs << " nb_locals " << parts[p]->nb_locals()
          << std::endl;
    std::string line;
    for (int k = 0; k < static_cast<int>(v.positions.size()); ++k) {
      const int entry = maps[p].by_position[k];
      line.clear();
      tessaro::append_number(line, k);
      line += " --> ";
      tessaro::append_number(line, entry);
      line += ' ';
      line += man->Name_var_by_index(entry);
      line += '\n';
      trace << line;
    }
  }
  trace << "nb equations definition " << defs->exp_number() << std::endl;
  trace << *defs << std::endl;
  emit();

  for (int c = 0; c < nconn; ++c) {
    const b_automaton_connector& w = conns[c];
    const int ii = w.my_input_instance_id(), oi = w.my_output_instance_id();
    const part_view& in = views[ii];
    const part_view& out = views[oi];
    bdd input_var =
        man->Bdd_var_by_index(maps[ii].by_position[in.nb_state_vars + w.my_input_signal_id()]);
    bdd output_var = man->Bdd_var_by_index(
        maps[oi].by_position[out.nb_state_vars + out.nb_inputs + w.my_output_signal_id()]);
    trace << " cx " << c << std::endl;
    trace << "automate_input_id  " << ii << " automate_output_id  " << oi << std::endl;
    trace << "connexion " << man->Name_var_by_bdd(input_var) << "= "
          << man->Name_var_by_bdd(output_var) << std::endl;
    emit();
    Bddexpression(defs, input_var, output_var, 0, 0);
  }

  for (int p = 0; p < n; ++p) {
    const int* map = maps[p].by_variable.data();
    for (bdd b_automaton::*field : {&b_automaton::assertion, &b_automaton::invariant}) {
      bdd source = parts[p]->*field;
      if (source == 0) continue;
      bdd copy = parts[p]->bdd_isomorphe(man, source, map);
      if (this->*field == 0) {
        this->*field = copy;
      } else {
        bdd conj = man->Bdd_and(this->*field, copy);
        man->Bdd_free(copy);
        man->Bdd_free(this->*field);
        this->*field = conj;
      }
    }
  }
}
