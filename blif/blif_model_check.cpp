// Checks of a model before its automaton is built: one driver per signal.
#include <string_view>
#include <unordered_set>

#include "blif/blif_assembly.h"

namespace {

// "a.blif: signal q is the output of two latches".
tessaro::diagnostic refuse(const blif_model& model, long line, const std::string& name,
                           const char* what) {
  return tessaro::refusal(model.file, line, name, "signal " + name + " " + what);
}

}  // namespace

tessaro::outcome check_model_signals(const blif_model& model) {
  // A name listed both as an input and as an output is a wire from the
  // input straight to the output; the composition keeps it so. The sets
  // hold views of the model's own names, which stay in place meanwhile.
  const std::unordered_set<std::string_view> inputs(model.inputs.begin(), model.inputs.end());
  std::unordered_set<std::string_view> latch_outputs;
  latch_outputs.reserve(model.latches.size());
  for (const blif_latch& latch : model.latches) {
    const std::string& name = latch.output;
    if (inputs.count(name))
      return refuse(model, latch.line, name, "is both an input and a latch output");
    if (!latch_outputs.insert(name).second)
      return refuse(model, latch.line, name, "is the output of two latches");
  }
  std::unordered_set<std::string_view> defined;
  defined.reserve(model.tables.size());
  for (const blif_table& table : model.tables) {
    if (table.names.empty()) continue;
    const std::string& name = table.names.back();
    if (inputs.count(name))
      return refuse(model, table.line, name, "is an input and is also defined by a table");
    if (latch_outputs.count(name))
      return refuse(model, table.line, name, "is a latch output and is also defined by a table");
    if (!defined.insert(name).second)
      return refuse(model, table.line, name, "is defined by two tables");
  }
  return {};
}
