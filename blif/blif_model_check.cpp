// Checks of a parsed model before its automaton is built: one driver per
// signal, interface names listed once.
#include <cstdlib>
#include <iostream>
#include <unordered_set>

#include "blif/blif_parser.h"

namespace {

void drop_repeats(std::list<std::string>& names) {
  std::unordered_set<std::string> seen;
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
  const std::unordered_set<std::string> input_set(inputs.begin(), inputs.end());
  std::unordered_set<std::string> latch_outputs;
  for (const std::string& name : state_vars) {
    if (input_set.count(name)) refuse(name, "is both an input and a latch output");
    if (!latch_outputs.insert(name).second) refuse(name, "is the output of two latches");
  }
  std::unordered_set<std::string> defined;
  for (const class_equation_blif& table : equations) {
    if (table.vars.empty()) continue;
    const std::string& name = table.vars.back();
    if (input_set.count(name)) refuse(name, "is an input and is also defined by a table");
    if (latch_outputs.count(name)) refuse(name, "is a latch output and is also defined by a table");
    if (!defined.insert(name).second) refuse(name, "is defined by two tables");
  }
}
