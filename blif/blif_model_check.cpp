// Checks of a parsed model before its automaton is built: one driver per
// signal, interface names listed once.
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <unordered_set>

#include "blif/blif_parser.h"

namespace {

// The sets below hold views of the lists' own names, which stay in place
// while the sets are in use.
void drop_repeats(std::list<std::string>& names) {
  std::unordered_set<std::string_view> seen;
  seen.reserve(names.size());
  for (auto it = names.begin(); it != names.end();) {
    if (seen.insert(*it).second)
      ++it;
    else
      it = names.erase(it);
  }
}

}  // namespace

void class_blif_parser::check_signals() {
  auto refuse = [this](const std::string& name, const char* what) {
    std::cerr << "error in blif model " << model_name << ": signal " << name << " " << what
              << std::endl;
    std::exit(1);
  };
  drop_repeats(inputs);
  drop_repeats(outputs);
  // A name listed both as an input and as an output is a wire from the
  // input straight to the output; the composition keeps it so.
  const std::unordered_set<std::string_view> input_set(inputs.begin(), inputs.end());
  std::unordered_set<std::string_view> latch_outputs;
  latch_outputs.reserve(state_vars.size());
  for (const std::string& name : state_vars) {
    if (input_set.count(name)) refuse(name, "is both an input and a latch output");
    if (!latch_outputs.insert(name).second) refuse(name, "is the output of two latches");
  }
  std::unordered_set<std::string_view> defined;
  defined.reserve(equations.size());
  for (const class_equation_blif& table : equations) {
    if (table.vars.empty()) continue;
    const std::string& name = table.vars.back();
    if (input_set.count(name)) refuse(name, "is an input and is also defined by a table");
    if (latch_outputs.count(name)) refuse(name, "is a latch output and is also defined by a table");
    if (!defined.insert(name).second) refuse(name, "is defined by two tables");
  }
}
