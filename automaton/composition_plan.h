// The plan of a composition of automata: which variable of the composed
// automaton every signal of every part becomes, worked out from the parts'
// names and the connectors alone. Planning touches no BDD manager and
// prints nothing; a composition that cannot be made is refused with a
// diagnostic naming the files and the signals involved.
//
// The composed variables come in four ranges, in this order: state
// variables, inputs, outputs, locals; the composed index of a variable is
// its place in that order, and the builder creates the variables so.
//
// The rules, each a function of composition_plan.cpp under the same name:
//  - prefixed_name: state variables and locals of a part, and its connected
//    inputs and outputs, are named after the part's instance, "_", then
//    the part's name;
//  - place_shared_input: unconnected inputs of one name are one input;
//  - place_ored_output: unconnected outputs of one name are one output whose
//    definition is the or of the parts' definitions; a part that reads such
//    an output itself keeps its own definition in a private local
//    (keep_private_definition);
//  - place_latch_output_listed_as_output: a connected output that is also
//    the part's latch output is that state variable (unconnected, it is an
//    ored output defined as the latch's value);
//  - place_input_listed_as_output: an output that is also the part's input
//    is that input (a wire through the part), unless the input is connected
//    and the output is not;
//  - refuse_collisions: two signals whose composed names are equal;
//  - refuse_self_driving_wire: an input listed as an output and connected
//    both ways would drive itself.
#pragma once

#include <string>
#include <vector>

#include "automaton/b_automaton_connector.h"
#include "support/diagnostic.h"

// The names of one part in its own numbering: its state variables, inputs,
// outputs and locals at consecutive positions, each list in its own order.
struct part_names {
  std::string instance;  // prefix of its composed names, without the "_"
  std::string file;      // the input the part was read from, for refusals
  std::vector<std::string> positions;
  int nb_state_vars = 0;
  int nb_inputs = 0;
  int nb_outputs = 0;
  // One flag per output: the part's own equations read that output. Only an
  // output defined by several parts needs it; missing flags count as 0.
  std::vector<char> output_read;

  int first_input() const { return nb_state_vars; }
  int first_output() const { return nb_state_vars + nb_inputs; }
  int first_local() const { return nb_state_vars + nb_inputs + nb_outputs; }
  int nb_locals() const { return static_cast<int>(positions.size()) - first_local(); }
};

// A part from its four lists.
part_names make_part_names(std::string instance, std::string file,
                           const std::vector<std::string>& state_vars,
                           const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs,
                           const std::vector<std::string>& locals,
                           std::vector<char> output_read = {});

// Where a composed variable comes from: a signal of one part (for a shared
// input or output, the first part that has it).
struct variable_origin {
  int part = -1;
  int position = -1;      // the signal's position in that part
  bool prefixed = false;  // the composed name is the instance, "_" and the name
};

// A definition the builder adds after a part's own: target = source, both
// composed indexes.
struct signal_copy {
  int target = -1;
  int source = -1;
};

// An ored output read by a part that defines it: the part's definition goes
// to a local of its own, which the part's functions read.
struct private_output {
  int part = -1;
  int position = -1;
  int output_var = -1;
  int local_var = -1;
};

// One connector as composed variables: the driven input's local, defined as
// the driving output's variable.
struct planned_wire {
  int input_var = -1;
  int output_var = -1;
};

struct composition_plan {
  std::vector<part_names> parts;
  std::vector<b_automaton_connector> connectors;

  // The composed variables, in index order.
  std::vector<std::string> state_var_names;
  std::vector<std::string> input_names;
  std::vector<std::string> output_names;
  std::vector<std::string> local_names;
  // The result's output list: the outputs above, and the names of inputs
  // that a part passes straight through to an output of the same name.
  std::vector<std::string> interface_outputs;
  // One per composed variable.
  std::vector<variable_origin> origins;
  // Per part: the composed index of every position.
  std::vector<std::vector<int>> by_position;
  // Per part, one entry per variable as a declaration numbers them (each
  // name once, at its first position): that position, and its composed
  // index. A name listed twice (a latch output also listed as an output)
  // is one variable, read as the signal of its first position.
  std::vector<std::vector<int>> variable_positions;
  std::vector<std::vector<int>> by_variable;
  std::vector<private_output> private_outputs;
  // Per part, in order: its outputs that carry another of its signals (a
  // latch output or an input of the same name), then the ored outputs it
  // reads, defined as their private locals.
  std::vector<std::vector<signal_copy>> copies;
  // One per connector, in connector order.
  std::vector<planned_wire> wires;

  int nb_variables() const;
  // The composed name of index k.
  const std::string& name(int k) const;
  // The name of the signal of index k in the part it comes from.
  const std::string& origin_name(int k) const;
};

// Plans the composition of `parts` wired by `connectors` into `plan` (which
// must be empty). On a refusal the plan is incomplete and must not be built.
tessaro::outcome plan_composition(std::vector<part_names> parts,
                                  std::vector<b_automaton_connector> connectors,
                                  composition_plan& plan);
