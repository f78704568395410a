// Merge of two automata wired by signal names.
#include "automaton/merge.h"

#include <unordered_map>

#include "automaton/composition.h"

namespace {

// 0-based position of the first occurrence of every name.
std::unordered_map<std::string, int> first_positions(const std::vector<std::string>& names) {
  std::unordered_map<std::string, int> where;
  where.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    where.emplace(names[i], static_cast<int>(i));
  return where;
}

// Appends one connector per input of `to` named like an output of `from`.
void connect(const b_automaton& to, int to_id, const b_automaton& from, int from_id,
             std::vector<b_automaton_connector>& conns) {
  const auto outputs = first_positions(from.output_names());
  const std::vector<std::string>& inputs = to.input_names();
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    auto found = outputs.find(inputs[i]);
    if (found != outputs.end())
      conns.emplace_back(from_id, found->second, to_id, static_cast<int>(i));
  }
}

}  // namespace

std::vector<b_automaton_connector> merge_connectors(const b_automaton& a, const b_automaton& b) {
  std::vector<b_automaton_connector> conns;
  connect(a, 0, b, 1, conns);
  connect(b, 1, a, 0, conns);
  return conns;
}

void print_connections(std::ostream& out, const std::vector<b_automaton_connector>& connectors) {
  out << "Connections list:" << std::endl;
  out << "(";
  for (std::size_t i = 0; i < connectors.size(); ++i) {
    if (i > 0) out << ", ";
    out << connectors[i];
    out.flush();
  }
  out << ")" << std::endl;
}

std::vector<part_names> merge_parts(const b_automaton& a, const std::string& file_a,
                                    const b_automaton& b, const std::string& file_b) {
  std::vector<part_names> parts;
  parts.push_back(part_names_of(a, "inst0", file_a));
  parts.push_back(part_names_of(b, "inst1", file_b));
  return parts;
}

tessaro::outcome plan_merge(const b_automaton& a, const std::string& file_a, const b_automaton& b,
                            const std::string& file_b, composition_plan& plan) {
  return plan_composition(merge_parts(a, file_a, b, file_b), merge_connectors(a, b), plan);
}

tessaro::outcome merge(const b_automaton& a, const std::string& file_a, const b_automaton& b,
                       const std::string& file_b, std::ostream* trace,
                       std::unique_ptr<b_automaton>& merged) {
  composition_plan plan;
  tessaro::outcome planned = plan_merge(a, file_a, b, file_b, plan);
  if (!planned) return planned;
  merged = compose(plan, {&a, &b}, trace);
  return {};
}
