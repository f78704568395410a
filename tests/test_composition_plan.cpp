// The composition plan, rule by rule, on small parts given by their name
// lists: no file, no binary and no BDD manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automaton/composition_plan.h"

namespace {

using names = std::vector<std::string>;
using ints = std::vector<int>;

part_names part(const char* instance, const char* file, names states, names inputs, names outputs,
                names locals, std::vector<char> read = {}) {
  return make_part_names(instance, file, states, inputs, outputs, locals, std::move(read));
}

// Connector from output `os` of part `oi` to input `is` of part `ii`.
b_automaton_connector wire(int oi, int os, int ii, int is) {
  return b_automaton_connector(oi, os, ii, is);
}

composition_plan plan_of(std::vector<part_names> parts,
                         std::vector<b_automaton_connector> conns = {}) {
  composition_plan plan;
  const tessaro::outcome planned = plan_composition(std::move(parts), std::move(conns), plan);
  EXPECT_TRUE(planned.ok()) << tessaro::diagnostic_line(planned.error());
  return plan;
}

// The line a driver prints for the refusal, or "accepted".
std::string refusal_of(std::vector<part_names> parts,
                       std::vector<b_automaton_connector> conns = {}) {
  composition_plan plan;
  const tessaro::outcome planned = plan_composition(std::move(parts), std::move(conns), plan);
  if (planned.ok()) return "accepted";
  EXPECT_EQ(planned.error().status, 1);
  return tessaro::diagnostic_line(planned.error());
}

names all_names(const composition_plan& plan) {
  names all;
  for (int k = 0; k < plan.nb_variables(); ++k)
    all.push_back(plan.name(k));
  return all;
}

}  // namespace

// The first part: latch s, inputs a and x, output y, local d. The second: latch t,
// inputs a and y, outputs x and z. x and y are wired both ways.
TEST(CompositionPlan, PrefixingAndTheComposedOrder) {
  const composition_plan plan =
      plan_of({part("inst0", "a.blif", {"s"}, {"a", "x"}, {"y"}, {"d"}),
               part("inst1", "b.blif", {"t"}, {"a", "y"}, {"x", "z"}, {})},
              {wire(1, 0, 0, 1), wire(0, 0, 1, 1)});
  EXPECT_EQ(plan.state_var_names, (names{"inst0_s", "inst1_t"}));
  EXPECT_EQ(plan.input_names, (names{"a"}));
  EXPECT_EQ(plan.output_names, (names{"z"}));
  EXPECT_EQ(plan.interface_outputs, (names{"z"}));
  // Connected inputs, connected outputs, then the parts' locals.
  EXPECT_EQ(plan.local_names, (names{"inst0_x", "inst1_y", "inst0_y", "inst1_x", "inst0_d"}));
  EXPECT_EQ(plan.by_position[0], (ints{0, 2, 4, 6, 8}));
  EXPECT_EQ(plan.by_position[1], (ints{1, 2, 5, 7, 3}));
  ASSERT_EQ(plan.wires.size(), 2u);
  EXPECT_EQ(plan.name(plan.wires[0].input_var), "inst0_x");
  EXPECT_EQ(plan.name(plan.wires[0].output_var), "inst1_x");
  EXPECT_EQ(plan.name(plan.wires[1].input_var), "inst1_y");
  EXPECT_EQ(plan.name(plan.wires[1].output_var), "inst0_y");
  ASSERT_EQ(plan.copies.size(), 2u);
  EXPECT_TRUE(plan.copies[0].empty() && plan.copies[1].empty());
  // Every composed variable knows its part, its name there and its prefix.
  const struct {
    int part, position;
    bool prefixed;
  } origins[] = {{0, 0, true}, {1, 0, true}, {0, 1, false}, {1, 4, false}, {0, 2, true},
                 {1, 2, true}, {0, 3, true}, {1, 3, true},  {0, 4, true}};
  ASSERT_EQ(plan.origins.size(), 9u);
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(plan.origins[k].part, origins[k].part) << k;
    EXPECT_EQ(plan.origins[k].position, origins[k].position) << k;
    EXPECT_EQ(plan.origins[k].prefixed, origins[k].prefixed) << k;
    const std::string& prefix = plan.parts[origins[k].part].instance;
    EXPECT_EQ(plan.name(k),
              (origins[k].prefixed ? prefix + "_" : std::string()) + plan.origin_name(k));
  }
  EXPECT_EQ(all_names(plan), (names{"inst0_s", "inst1_t", "a", "z", "inst0_x", "inst1_y", "inst0_y",
                                    "inst1_x", "inst0_d"}));
}

TEST(CompositionPlan, SharedInputsAreOneInputOfTheFirstPart) {
  const composition_plan plan = plan_of(
      {part("p", "a.blif", {}, {"a", "b"}, {}, {}), part("q", "b.blif", {}, {"c", "a"}, {}, {})});
  EXPECT_EQ(plan.input_names, (names{"a", "b", "c"}));
  EXPECT_EQ(plan.by_position[0], (ints{0, 1}));
  EXPECT_EQ(plan.by_position[1], (ints{2, 0}));
  EXPECT_EQ(plan.origins[0].part, 0);
  EXPECT_FALSE(plan.origins[0].prefixed);
  EXPECT_EQ(plan.origins[2].part, 1);
}

TEST(CompositionPlan, OredOutputsAreOneOutput) {
  const composition_plan plan = plan_of(
      {part("p", "a.blif", {}, {"u"}, {"z"}, {}), part("q", "b.blif", {}, {"v"}, {"z", "w"}, {})});
  EXPECT_EQ(plan.output_names, (names{"z", "w"}));
  EXPECT_EQ(plan.interface_outputs, (names{"z", "w"}));
  EXPECT_EQ(plan.by_position[0][1], 2);
  EXPECT_EQ(plan.by_position[1][1], 2);
  EXPECT_TRUE(plan.local_names.empty());
}

// A part that reads an ored output reads its own definition, kept in a
// private local; the output is defined by the other part and that local.
TEST(CompositionPlan, OredOutputReadByItsPartKeepsAPrivateDefinition) {
  const composition_plan plan = plan_of({part("p", "a.blif", {}, {"u"}, {"z", "w"}, {}, {1, 0}),
                                         part("q", "b.blif", {}, {"v"}, {"z"}, {})});
  EXPECT_EQ(all_names(plan), (names{"u", "v", "z", "w", "p_z"}));
  EXPECT_EQ(plan.interface_outputs, (names{"z", "w"}));
  EXPECT_EQ(plan.by_position[0], (ints{0, 4, 3}));
  EXPECT_EQ(plan.by_position[1], (ints{1, 2}));
  ASSERT_EQ(plan.copies[0].size(), 1u);
  EXPECT_EQ(plan.copies[0][0].target, 2);
  EXPECT_EQ(plan.copies[0][0].source, 4);
  EXPECT_TRUE(plan.copies[1].empty());
  ASSERT_EQ(plan.private_outputs.size(), 1u);
  EXPECT_EQ(plan.private_outputs[0].part, 0);
  EXPECT_EQ(plan.private_outputs[0].position, 1);
  EXPECT_EQ(plan.private_outputs[0].output_var, 2);
  EXPECT_EQ(plan.private_outputs[0].local_var, 4);
  EXPECT_TRUE(plan.origins[4].prefixed);
  // Read, but defined by one part only: no private local.
  const composition_plan alone = plan_of(
      {part("p", "a.blif", {}, {"u"}, {"z"}, {}, {1}), part("q", "b.blif", {}, {"v"}, {}, {})});
  EXPECT_TRUE(alone.local_names.empty());
  EXPECT_EQ(alone.by_position[0], (ints{0, 2}));
}

TEST(CompositionPlan, LatchOutputListedAsOutput) {
  // Connected: the other part reads the latch itself.
  const composition_plan wired = plan_of({part("inst0", "a.blif", {"q"}, {"i"}, {"q"}, {"d"}),
                                          part("inst1", "b.blif", {}, {"q"}, {"o"}, {})},
                                         {wire(0, 0, 1, 0)});
  EXPECT_EQ(all_names(wired), (names{"inst0_q", "i", "o", "inst1_q", "inst0_d"}));
  EXPECT_EQ(wired.by_position[0], (ints{0, 1, 0, 4}));
  // The output q is the latch's variable: one variable per name.
  EXPECT_EQ(wired.variable_positions[0], (ints{0, 1, 3}));
  EXPECT_EQ(wired.by_variable[0], (ints{0, 1, 4}));
  EXPECT_EQ(wired.by_position[1], (ints{3, 2}));
  EXPECT_EQ(wired.wires[0].input_var, 3);
  EXPECT_EQ(wired.wires[0].output_var, 0);
  EXPECT_TRUE(wired.copies[0].empty());
  // Unconnected: an output of its own, defined as the latch's value.
  const composition_plan alone = plan_of({part("inst0", "a.blif", {"q"}, {"i"}, {"q"}, {"d"}),
                                          part("inst1", "b.blif", {}, {}, {}, {})});
  EXPECT_EQ(all_names(alone), (names{"inst0_q", "i", "q", "inst0_d"}));
  ASSERT_EQ(alone.copies[0].size(), 1u);
  EXPECT_EQ(alone.copies[0][0].target, 2);
  EXPECT_EQ(alone.copies[0][0].source, 0);
}

TEST(CompositionPlan, InputListedAsOutputIsAWireThroughThePart) {
  const part_names through = part("inst0", "a.blif", {}, {"x", "i"}, {"x", "y"}, {});
  // Alone: the output x is the input x, listed in the interface only.
  const composition_plan alone = plan_of({through, part("inst1", "b.blif", {}, {}, {}, {})});
  EXPECT_EQ(all_names(alone), (names{"x", "i", "y"}));
  EXPECT_EQ(alone.interface_outputs, (names{"x", "y"}));
  EXPECT_EQ(alone.by_position[0], (ints{0, 1, 0, 2}));
  // Read by the other part: the input x drives it, and leaves the interface.
  const composition_plan read =
      plan_of({through, part("inst1", "b.blif", {}, {"x"}, {"o"}, {})}, {wire(0, 0, 1, 0)});
  EXPECT_EQ(all_names(read), (names{"x", "i", "y", "o", "inst1_x"}));
  EXPECT_EQ(read.interface_outputs, (names{"y", "o"}));
  EXPECT_EQ(read.by_position[0], (ints{0, 1, 0, 2}));
  EXPECT_EQ(read.wires[0].input_var, 4);
  EXPECT_EQ(read.wires[0].output_var, 0);
  // Driven by the other part: the output x has a variable of its own,
  // defined as the input's connection local.
  const composition_plan driven =
      plan_of({through, part("inst1", "b.blif", {}, {"j"}, {"x"}, {})}, {wire(1, 0, 0, 0)});
  EXPECT_EQ(all_names(driven), (names{"i", "j", "x", "y", "inst0_x", "inst1_x"}));
  EXPECT_EQ(driven.by_position[0], (ints{4, 0, 2, 3}));
  ASSERT_EQ(driven.copies[0].size(), 1u);
  EXPECT_EQ(driven.copies[0][0].target, 2);
  EXPECT_EQ(driven.copies[0][0].source, 4);
  EXPECT_EQ(driven.wires[0].input_var, 4);
  EXPECT_EQ(driven.wires[0].output_var, 5);
}

TEST(CompositionPlan, SelfDrivingWireIsRefused) {
  const part_names a = part("inst0", "a.blif", {}, {"x"}, {"x"}, {});
  const part_names b = part("inst1", "b.blif", {}, {"x"}, {"x"}, {});
  EXPECT_EQ(refusal_of({a, b}, {wire(1, 0, 0, 0), wire(0, 0, 1, 0)}),
            "a.blif: input x is also listed as an output, and the other model, b.blif, both "
            "drives and reads x: the wire would drive itself");
}

TEST(CompositionPlan, OutputPassedThroughAndDefinedElsewhereIsRefused) {
  const part_names through = part("inst0", "a.blif", {}, {"x"}, {"x"}, {});
  const part_names defines = part("inst1", "b.blif", {}, {"u"}, {"x"}, {});
  const std::string text =
      "a.blif: output x passes its own input through, but b.blif also defines an output x";
  EXPECT_EQ(refusal_of({through, defines}), text);
  // Found from the other side, the same clash reads the same.
  EXPECT_EQ(refusal_of({part("inst0", "b.blif", {}, {"u"}, {"x"}, {}),
                        part("inst1", "a.blif", {}, {"x"}, {"x"}, {})}),
            text);
}

TEST(CompositionPlan, CollisionsNameBothSignals) {
  EXPECT_EQ(refusal_of({part("inst0", "a.blif", {}, {"inst1_x"}, {"y"}, {}),
                        part("inst1", "b.blif", {}, {"i"}, {"o"}, {"x"})}),
            "b.blif: local signal x and input inst1_x of a.blif would both be named inst1_x in "
            "the merged model");
  EXPECT_EQ(refusal_of({part("inst0", "a.blif", {"s"}, {"inst0_s"}, {}, {}),
                        part("inst1", "b.blif", {}, {}, {}, {})}),
            "a.blif: input inst0_s and latch output s of a.blif would both be named inst0_s in "
            "the merged model");
  // A connected output whose prefixed name is another part's output.
  EXPECT_EQ(refusal_of({part("inst0", "a.blif", {}, {}, {"inst0_y"}, {}),
                        part("inst1", "b.blif", {}, {"y"}, {}, {}),
                        part("inst0", "c.blif", {}, {}, {"y"}, {})},
                       {wire(2, 0, 1, 0)}),
            "c.blif: output y and output inst0_y of a.blif would both be named inst0_y in the "
            "merged model");
}

TEST(CompositionPlan, ConnectorsMustNameOneDriverPerInput) {
  const part_names a = part("inst0", "a.blif", {}, {}, {"x", "x2"}, {});
  const part_names b = part("inst1", "b.blif", {}, {"x"}, {}, {});
  EXPECT_EQ(refusal_of({a, b}, {wire(0, 0, 1, 0), wire(0, 1, 1, 0)}),
            "b.blif: input x is driven by two connectors");
  EXPECT_EQ(refusal_of({a, b}, {wire(0, 2, 1, 0)}), "connector 0 names no output or no input");
  EXPECT_EQ(refusal_of({a, b}, {wire(0, 0, 1, 0), wire(1, 0, 0, 0)}),
            "connector 1 names no output or no input");
  EXPECT_EQ(refusal_of({a, b}, {wire(0, 0, 2, 0)}), "connector 0 names no output or no input");
}

TEST(CompositionPlan, RepeatedNamesWithinAPartKeepTheirFirstPlace) {
  // The first input x of a part is the one the output x aliases.
  const composition_plan plan = plan_of(
      {part("p", "a.blif", {}, {"x", "x"}, {"x"}, {}), part("q", "b.blif", {}, {}, {}, {})});
  EXPECT_EQ(plan.input_names, (names{"x"}));
  EXPECT_EQ(plan.by_position[0], (ints{0, 0, 0}));
  EXPECT_EQ(plan.by_variable[0], (ints{0}));
  EXPECT_EQ(plan.interface_outputs, (names{"x"}));
}

// Composed names of every length around the room they are joined in, on
// latches, connection locals and plain locals alike.
TEST(CompositionPlan, LongNamesArePrefixedWhole) {
  for (std::size_t length : {1, 57, 58, 59, 60, 200}) {
    const std::string s(length, 's');
    const std::string y = std::string(length, 'y') + "1";
    const std::string d = std::string(length, 'd') + "2";
    const composition_plan plan = plan_of(
        {part("inst0", "a.blif", {s}, {}, {y}, {d}), part("inst1", "b.blif", {}, {y}, {}, {})},
        {wire(0, 0, 1, 0)});
    EXPECT_EQ(plan.state_var_names, (names{"inst0_" + s}));
    EXPECT_EQ(plan.local_names, (names{"inst1_" + y, "inst0_" + y, "inst0_" + d})) << length;
  }
}
