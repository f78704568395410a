// The composition plan: the rules of the composition, one function each.
//
// The planner walks the parts' lists in the order of the composed numbering
// (state variables, inputs, outputs, then locals), each list part by part.
// A connected input or output becomes a connection local whose index is
// known only once all outputs are placed: its entry stays pending (-1)
// until resolve_pending. So does an output that is its part's own input,
// until it takes that input's entry.
#include "automaton/composition_plan.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "bddpp/name_index.h"
#include "support/name_set.h"

namespace {

// Composed names of one range, in index order, with their origins and a
// lookup of the first position of the names that are looked up.
class name_range {
 public:
  // 0-based position of `name` when it was appended with a lookup, or -1.
  int find(const std::string& name) const {
    auto it = where_.find(name);
    return it == where_.end() ? -1 : it->second;
  }
  int append(std::string name, variable_origin origin, bool looked_up = true) {
    const int at = static_cast<int>(names_.size());
    if (looked_up) where_.emplace(name, at);
    names_.push_back(std::move(name));
    origins_.push_back(origin);
    return at;
  }
  const variable_origin& origin(int at) const { return origins_[static_cast<std::size_t>(at)]; }
  int size() const { return static_cast<int>(names_.size()); }
  const std::vector<std::string>& names() const { return names_; }
  std::vector<std::string>& names() { return names_; }
  std::vector<variable_origin>& origins() { return origins_; }

 private:
  std::vector<std::string> names_;
  std::vector<variable_origin> origins_;
  std::unordered_map<std::string, int> where_;
};

const char* kind_of(const part_names& part, int position) {
  if (position < part.first_input()) return "latch output";
  if (position < part.first_output()) return "input";
  if (position < part.first_local()) return "output";
  return "local signal";
}

class planner {
 public:
  explicit planner(composition_plan& plan) : plan_(plan), parts_(plan.parts) {}

  tessaro::outcome run() {
    index_parts();
    if (tessaro::outcome marked = mark_wires(); !marked) return marked;
    place_state_variables();
    place_inputs();
    count_output_definitions();
    if (tessaro::outcome placed = place_outputs(); !placed) return placed;
    place_locals();
    if (tessaro::outcome distinct = refuse_collisions(); !distinct) return distinct;
    resolve_pending();
    map_variables();
    plan_copies();
    plan_wires();
    gather_names();
    return {};
  }

 private:
  // ---- The parts and their wires ----

  void index_parts();
  tessaro::outcome mark_wires();
  // Position in part p of its first state variable / input named `name`, or -1.
  int state_var(int p, const std::string& name) const { return lookup(first_state_var_[p], name); }
  int input(int p, const std::string& name) const { return lookup(first_input_[p], name); }
  bool input_wired(int p, int position) const {
    return input_wired_[p][position - parts_[p].first_input()] != 0;
  }
  bool output_wired(int p, int position) const {
    return output_wired_[p][position - parts_[p].first_output()] != 0;
  }
  static int lookup(const std::unordered_map<std::string_view, int>& m, const std::string& name) {
    auto it = m.find(name);
    return it == m.end() ? -1 : it->second;
  }
  int& entry(int p, int position) { return plan_.by_position[p][position]; }

  // ---- The rules ----

  std::string prefixed_name(int p, int position) const {
    const std::string& prefix = parts_[p].instance;
    const std::string& name = parts_[p].positions[position];
    std::string joined;
    joined.reserve(prefix.size() + 1 + name.size());
    joined.append(prefix).append(1, '_').append(name);
    return joined;
  }
  void place_state_variables();
  void place_inputs();
  void place_shared_input(int p, int position);
  void place_connection_local(int p, int position);
  void count_output_definitions();
  tessaro::outcome place_outputs();
  void place_latch_output_listed_as_output(int p, int position, int latch);
  tessaro::outcome place_input_listed_as_output(int p, int position, int input_position);
  tessaro::outcome place_ored_output(int p, int position);
  void keep_private_definition(int p, int position, int output_var);
  tessaro::outcome refuse_self_driving_wire(int p, int position) const;
  tessaro::outcome refuse_passed_through_and_defined(int through, int defining,
                                                     const std::string& name) const;
  void place_locals();
  tessaro::outcome refuse_collisions() const;
  tessaro::outcome refuse_collision(int first, int second, const std::string& name) const;

  // ---- The entries left pending, the definitions and wires ----

  void resolve_pending();
  void map_variables();
  int carried_signal(int p, int position) const;
  void plan_copies();
  void plan_wires();
  void gather_names();

  int state_count() const { return static_cast<int>(plan_.state_var_names.size()); }
  int input_count() const { return inputs_.size(); }
  int output_count() const { return outputs_.size(); }
  int local_base() const { return state_count() + input_count() + output_count(); }
  const variable_origin& origin_of(int k) const;

  composition_plan& plan_;
  const std::vector<part_names>& parts_;
  std::vector<std::unordered_map<std::string_view, int>> first_state_var_, first_input_;
  std::vector<std::vector<char>> input_wired_, output_wired_;
  // The part whose output drives each connected input, by input.
  std::vector<std::vector<int>> input_driver_;
  std::vector<variable_origin> state_origins_;
  name_range inputs_, outputs_, locals_;
  // Parts defining each unconnected output that is not their own input.
  std::unordered_map<std::string, int> defining_parts_;
  // The part passing its own input through to each such output name.
  std::unordered_map<std::string, int> passed_through_;
  // Outputs that take the entry of their part's input of the same name.
  std::vector<std::pair<int, int>> input_aliases_;
};

void planner::index_parts() {
  const std::size_t n = parts_.size();
  first_state_var_.resize(n);
  first_input_.resize(n);
  input_wired_.resize(n);
  output_wired_.resize(n);
  input_driver_.resize(n);
  plan_.by_position.resize(n);
  for (std::size_t p = 0; p < n; ++p) {
    const part_names& part = parts_[p];
    for (int pos = 0; pos < part.first_input(); ++pos)
      first_state_var_[p].emplace(part.positions[pos], pos);
    for (int pos = part.first_input(); pos < part.first_output(); ++pos)
      first_input_[p].emplace(part.positions[pos], pos);
    input_wired_[p].assign(part.nb_inputs, 0);
    output_wired_[p].assign(part.nb_outputs, 0);
    input_driver_[p].assign(part.nb_inputs, -1);
    plan_.by_position[p].assign(part.positions.size(), -1);
  }
}

// Every connector joins an existing output to an existing input, and no
// input has two drivers.
tessaro::outcome planner::mark_wires() {
  const int n = static_cast<int>(parts_.size());
  for (std::size_t c = 0; c < plan_.connectors.size(); ++c) {
    const b_automaton_connector& w = plan_.connectors[c];
    const int oi = w.my_output_instance_id(), os = w.my_output_signal_id();
    const int ii = w.my_input_instance_id(), is = w.my_input_signal_id();
    if (oi < 0 || oi >= n || os < 0 || os >= parts_[oi].nb_outputs || ii < 0 || ii >= n || is < 0 ||
        is >= parts_[ii].nb_inputs)
      return tessaro::refusal("", 0, "",
                              "connector " + std::to_string(c) + " names no output or no input");
    if (input_wired_[ii][is]) {
      const std::string& name = parts_[ii].positions[parts_[ii].first_input() + is];
      return tessaro::refusal(parts_[ii].file, 0, name,
                              "input " + name + " is driven by two connectors");
    }
    input_wired_[ii][is] = 1;
    input_driver_[ii][is] = oi;
    output_wired_[oi][os] = 1;
  }
  return {};
}

void planner::place_state_variables() {
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    for (int pos = 0; pos < parts_[p].first_input(); ++pos) {
      entry(p, pos) = state_count();
      plan_.state_var_names.push_back(prefixed_name(p, pos));
      state_origins_.push_back({static_cast<int>(p), pos, true});
    }
  }
}

void planner::place_inputs() {
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    for (int pos = parts_[p].first_input(); pos < parts_[p].first_output(); ++pos) {
      if (input_wired(p, pos))
        place_connection_local(p, pos);
      else
        place_shared_input(p, pos);
    }
  }
}

// An unconnected input keeps its name; every part with an input of that
// name reads the same composed input.
void planner::place_shared_input(int p, int position) {
  const std::string& name = parts_[p].positions[position];
  int q = inputs_.find(name);
  if (q < 0) q = inputs_.append(name, {p, position, false});
  entry(p, position) = state_count() + q;
}

// A connected input or output leaves the interface: it becomes a local
// under its prefixed name, whose index is resolved once all outputs are in.
void planner::place_connection_local(int p, int position) {
  locals_.append(prefixed_name(p, position), {p, position, true});
}

void planner::count_output_definitions() {
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    for (int pos = parts_[p].first_output(); pos < parts_[p].first_local(); ++pos) {
      const std::string& name = parts_[p].positions[pos];
      if (!output_wired(p, pos) && input(p, name) < 0) ++defining_parts_[name];
    }
  }
}

tessaro::outcome planner::place_outputs() {
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    for (int pos = parts_[p].first_output(); pos < parts_[p].first_local(); ++pos) {
      const std::string& name = parts_[p].positions[pos];
      const int latch = state_var(p, name);
      const int in = input(p, name);
      tessaro::outcome placed;
      if (latch >= 0 && output_wired(p, pos))
        place_latch_output_listed_as_output(p, pos, latch);
      else if (in >= 0 && (output_wired(p, pos) || !input_wired(p, in)))
        placed = place_input_listed_as_output(p, pos, in);
      else if (output_wired(p, pos))
        place_connection_local(p, pos);
      else
        placed = place_ored_output(p, pos);
      if (!placed) return placed;
    }
  }
  return {};
}

// A connected output that is also the part's latch output is the latch's
// state variable: the other part reads the latch's value.
void planner::place_latch_output_listed_as_output(int p, int position, int latch) {
  entry(p, position) = plan_.by_position[p][latch];
}

// An output that is also the part's input carries that input: it takes the
// input's entry once inputs are resolved. Unconnected, it stays in the
// interface as a wire from the input (one entry per name).
tessaro::outcome planner::place_input_listed_as_output(int p, int position, int input_position) {
  const std::string& name = parts_[p].positions[position];
  const bool wired_out = output_wired(p, position);
  if (wired_out && input_wired(p, input_position)) return refuse_self_driving_wire(p, position);
  if (!wired_out) {
    const int q = outputs_.find(name);
    if (q >= 0) return refuse_passed_through_and_defined(p, outputs_.origin(q).part, name);
    if (passed_through_.emplace(name, p).second) plan_.interface_outputs.push_back(name);
  }
  input_aliases_.emplace_back(p, position);
  return {};
}

// An unconnected output keeps its name; several parts defining it give one
// output, defined by the or of their definitions.
tessaro::outcome planner::place_ored_output(int p, int position) {
  const std::string& name = parts_[p].positions[position];
  auto through = passed_through_.find(name);
  if (through != passed_through_.end())
    return refuse_passed_through_and_defined(through->second, p, name);
  int q = outputs_.find(name);
  if (q < 0) {
    plan_.interface_outputs.push_back(name);
    q = outputs_.append(name, {p, position, false});
  }
  entry(p, position) = state_count() + input_count() + q;
  const part_names& part = parts_[p];
  const std::size_t k = static_cast<std::size_t>(position - part.first_output());
  const bool read = k < part.output_read.size() && part.output_read[k] != 0;
  if (defining_parts_[name] > 1 && read && state_var(p, name) < 0)
    keep_private_definition(p, position, state_count() + input_count() + q);
  return {};
}

// The part reads its own definition of an ored output, not the or: that
// definition goes to a local, the part's entry points there, and the
// output is defined as that local (among the others' definitions).
void planner::keep_private_definition(int p, int position, int output_var) {
  plan_.private_outputs.push_back({p, position, output_var, -1});
}

tessaro::outcome planner::refuse_self_driving_wire(int p, int position) const {
  const std::string& name = parts_[p].positions[position];
  const int driver = input_driver_[p][input(p, name) - parts_[p].first_input()];
  return tessaro::refusal(parts_[p].file, 0, name,
                          "input " + name + " is also listed as an output, and the other model, " +
                              parts_[driver].file + ", both drives and reads " + name +
                              ": the wire would drive itself");
}

tessaro::outcome planner::refuse_passed_through_and_defined(int through, int defining,
                                                            const std::string& name) const {
  return tessaro::refusal(parts_[through].file, 0, name,
                          "output " + name + " passes its own input through, but " +
                              parts_[defining].file + " also defines an output " + name);
}

// The connection locals, the private outputs' locals, then the prefixed
// locals of every part.
void planner::place_locals() {
  for (private_output& o : plan_.private_outputs) {
    o.local_var = local_base() + locals_.size();
    entry(o.part, o.position) = o.local_var;
    locals_.append(prefixed_name(o.part, o.position), {o.part, o.position, true}, false);
  }
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    for (int pos = parts_[p].first_local(); pos < static_cast<int>(parts_[p].positions.size());
         ++pos) {
      entry(p, pos) = local_base() + locals_.size();
      locals_.append(prefixed_name(p, pos), {static_cast<int>(p), pos, true}, false);
    }
  }
}

const variable_origin& planner::origin_of(int k) const {
  if (k < state_count()) return state_origins_[k];
  if (k < state_count() + input_count()) return inputs_.origin(k - state_count());
  if (k < local_base()) return outputs_.origin(k - state_count() - input_count());
  return locals_.origin(k - local_base());
}

// Every composed name denotes one signal.
tessaro::outcome planner::refuse_collisions() const {
  tessaro::name_set seen(static_cast<std::size_t>(local_base() + locals_.size()));
  int k = 0;
  const std::vector<std::string>& state_vars = plan_.state_var_names;
  for (const auto* range : {&state_vars, &inputs_.names(), &outputs_.names(), &locals_.names()}) {
    for (const std::string& name : *range) {
      if (const int* first = seen.insert_or_find(name, k)) return refuse_collision(*first, k, name);
      ++k;
    }
  }
  return {};
}

// "b.blif: local signal x and input inst1_x of a.blif would both be named
// inst1_x in the merged model".
tessaro::outcome planner::refuse_collision(int first, int second, const std::string& name) const {
  const variable_origin& a = origin_of(first);
  const variable_origin& b = origin_of(second);
  const part_names& pa = parts_[a.part];
  const part_names& pb = parts_[b.part];
  const std::string& b_name = pb.positions[b.position];
  return tessaro::refusal(pb.file, 0, b_name,
                          std::string(kind_of(pb, b.position)) + " " + b_name + " and " +
                              kind_of(pa, a.position) + " " + pa.positions[a.position] + " of " +
                              pa.file + " would both be named " + name + " in the merged model");
}

// Connected inputs and outputs find their local by name; outputs that are
// their part's input take that input's entry.
void planner::resolve_pending() {
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    const part_names& part = parts_[p];
    for (int pos = part.first_input(); pos < part.first_local(); ++pos) {
      if (entry(p, pos) != -1) continue;
      if (pos >= part.first_output() && input(p, part.positions[pos]) >= 0) continue;
      entry(p, pos) = local_base() + locals_.find(prefixed_name(p, pos));
    }
  }
  for (const auto& [p, position] : input_aliases_)
    entry(p, position) = entry(p, input(p, parts_[p].positions[position]));
}

void planner::map_variables() {
  plan_.variable_positions.resize(parts_.size());
  plan_.by_variable.resize(parts_.size());
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    const std::vector<std::string>& positions = parts_[p].positions;
    name_index seen(&positions);
    for (std::size_t pos = 0; pos < positions.size(); ++pos) {
      if (seen.find(positions[pos]) >= 0) continue;
      seen.insert(static_cast<long>(pos));
      plan_.variable_positions[p].push_back(static_cast<int>(pos));
      plan_.by_variable[p].push_back(plan_.by_position[p][pos]);
    }
  }
}

// The latch output, else the input, of part p named like its output at
// `position`; -1 when there is none.
int planner::carried_signal(int p, int position) const {
  const std::string& name = parts_[p].positions[position];
  const int latch = state_var(p, name);
  return latch >= 0 ? latch : input(p, name);
}

// After its own definitions, a part defines its outputs that have a variable
// of their own and carry its latch output or input of the same name, then
// its ored outputs that it reads, as their private locals.
void planner::plan_copies() {
  plan_.copies.resize(parts_.size());
  const int first_output = state_count() + input_count();
  for (std::size_t p = 0; p < parts_.size(); ++p) {
    for (int pos = parts_[p].first_output(); pos < parts_[p].first_local(); ++pos) {
      const int target = entry(p, pos);
      const int source = carried_signal(p, pos);
      if (target >= first_output && target < local_base() && source >= 0)
        plan_.copies[p].push_back({target, entry(p, source)});
    }
  }
  for (const private_output& o : plan_.private_outputs)
    plan_.copies[o.part].push_back({o.output_var, o.local_var});
}

void planner::plan_wires() {
  for (const b_automaton_connector& w : plan_.connectors) {
    const part_names& in = parts_[w.my_input_instance_id()];
    const part_names& out = parts_[w.my_output_instance_id()];
    plan_.wires.push_back(
        {entry(w.my_input_instance_id(), in.first_input() + w.my_input_signal_id()),
         entry(w.my_output_instance_id(), out.first_output() + w.my_output_signal_id())});
  }
}

void planner::gather_names() {
  plan_.origins = std::move(state_origins_);
  for (name_range* range : {&inputs_, &outputs_, &locals_})
    plan_.origins.insert(plan_.origins.end(), range->origins().begin(), range->origins().end());
  plan_.input_names = std::move(inputs_.names());
  plan_.output_names = std::move(outputs_.names());
  plan_.local_names = std::move(locals_.names());
}

}  // namespace

part_names make_part_names(std::string instance, std::string file,
                           const std::vector<std::string>& state_vars,
                           const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs,
                           const std::vector<std::string>& locals, std::vector<char> output_read) {
  part_names part;
  part.instance = std::move(instance);
  part.file = std::move(file);
  part.positions.reserve(state_vars.size() + inputs.size() + outputs.size() + locals.size());
  for (const auto* list : {&state_vars, &inputs, &outputs, &locals})
    part.positions.insert(part.positions.end(), list->begin(), list->end());
  part.nb_state_vars = static_cast<int>(state_vars.size());
  part.nb_inputs = static_cast<int>(inputs.size());
  part.nb_outputs = static_cast<int>(outputs.size());
  part.output_read = std::move(output_read);
  return part;
}

int composition_plan::nb_variables() const {
  return static_cast<int>(state_var_names.size() + input_names.size() + output_names.size() +
                          local_names.size());
}

const std::string& composition_plan::name(int k) const {
  std::size_t i = static_cast<std::size_t>(k);
  for (const auto* range : {&state_var_names, &input_names, &output_names}) {
    if (i < range->size()) return (*range)[i];
    i -= range->size();
  }
  return local_names[i];
}

const std::string& composition_plan::origin_name(int k) const {
  const variable_origin& o = origins[static_cast<std::size_t>(k)];
  return parts[static_cast<std::size_t>(o.part)].positions[static_cast<std::size_t>(o.position)];
}

tessaro::outcome plan_composition(std::vector<part_names> parts,
                                  std::vector<b_automaton_connector> connectors,
                                  composition_plan& plan) {
  plan.parts = std::move(parts);
  plan.connectors = std::move(connectors);
  return planner(plan).run();
}
