// Composition: the names of a part for the plan, and the build with its
// trace, step by step.
#include "automaton/composition.h"

#include "automaton/composition_build.h"
#include "automaton/composition_trace.h"

namespace {

// Flags, by variable index of the part's manager, of the variables its
// transitions and definitions read.
std::vector<char> read_variables(const b_automaton& part) {
  std::vector<char> read(static_cast<std::size_t>(part.manager_associe()->Nb_bdd_vars()), 0);
  for (const Bddexpressionwood* wood : {part.trans_wood_associee(), part.def_wood_associee()})
    for (long i : wood->defined_indexes())
      for (tessaro::scanset<long> it(wood->exp_at(i)->dependances()); !it.last_item();
           it.next_item())
        read[static_cast<std::size_t>(it.item())] = 1;
  return read;
}

}  // namespace

part_names part_names_of(const b_automaton& part, std::string instance, std::string file) {
  std::vector<char> output_read;
  output_read.reserve(part.output_names().size());
  const std::vector<char> read = read_variables(part);
  for (const std::string& name : part.output_names()) {
    const long i = part.manager_associe()->Index_var_by_name(name);
    output_read.push_back(i >= 0 && read[static_cast<std::size_t>(i)] != 0);
  }
  return make_part_names(std::move(instance), std::move(file), part.state_var_names(),
                         part.input_names(), part.output_names(), part.local_names(),
                         std::move(output_read));
}

std::unique_ptr<b_automaton> compose(const composition_plan& plan,
                                     const std::vector<const b_automaton*>& parts,
                                     std::ostream* trace_target) {
  composition_builder build(plan, parts);
  composition_trace trace(trace_target);
  trace.start(plan, build.definitions());
  build.copy_initial_states();
  build.copy_transitions();
  trace.transitions_copied(plan);
  build.copy_definitions();
  trace.definitions_copied(plan, build.definitions());
  for (int c = 0; c < static_cast<int>(plan.wires.size()); ++c) {
    trace.connection(plan, c);
    build.connect(c);
  }
  build.copy_assertions();
  return build.finish();
}
