// Merge of two automata wired by signal names.
#include "automaton/merge.h"

#include <iostream>
#include <list>
#include <string>
#include <unordered_map>

#include "support/list_util.h"

namespace {

// 1-based position of the first occurrence of every name, as item_where
// would find it.
std::unordered_map<std::string, long> first_positions(const std::list<std::string>& names) {
  std::unordered_map<std::string, long> where;
  long pos = 1;
  for (const std::string& name : names)
    where.emplace(name, pos++);
  return where;
}

// Appends one connector per input of `to` named like an output of `from`.
void connect(const b_automaton* to, int to_id, const b_automaton* from, int from_id,
             std::list<b_automaton_connector>& conns) {
  const auto outputs = first_positions(from->outputs_list());
  int i = 0;
  for (const std::string& name : to->inputs_list()) {
    auto found = outputs.find(name);
    if (found != outputs.end())
      conns.emplace_back(from_id, static_cast<int>(found->second - 1), to_id, i);
    ++i;
  }
}

}  // namespace

b_automaton* merge(b_automaton* a, b_automaton* b) {
  if (a == nullptr || b == nullptr) return nullptr;
  std::list<b_automaton_connector> conns;
  connect(a, 0, b, 1, conns);
  connect(b, 1, a, 0, conns);
  std::cout << "Connections list:" << std::endl;
  tessaro::print_list(std::cout, conns) << std::endl;
  std::vector<b_automaton_connector> array = tessaro::array_convert(conns);
  b_automaton* parts[2] = {a, b};
  std::string instance_names[2] = {"inst0", "inst1"};
  return new b_automaton(2, parts, instance_names, static_cast<int>(array.size()), array.data());
}
