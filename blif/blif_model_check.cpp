// Checks of a model before its automaton is built: one driver per signal.
#include "blif/blif_assembly.h"
#include "support/name_set.h"

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
  tessaro::name_set inputs(model.inputs.size());
  for (const std::string& name : model.inputs)
    inputs.insert(name);
  tessaro::name_set latch_outputs(model.latches.size());
  for (const blif_latch& latch : model.latches) {
    const std::string& name = latch.output;
    if (inputs.contains(name))
      return refuse(model, latch.line, name, "is both an input and a latch output");
    if (!latch_outputs.insert(name))
      return refuse(model, latch.line, name, "is the output of two latches");
  }
  tessaro::name_set defined(model.tables.size());
  for (const blif_table& table : model.tables) {
    if (table.names.empty()) continue;
    const std::string& name = table.names.back();
    if (inputs.contains(name))
      return refuse(model, table.line, name, "is an input and is also defined by a table");
    if (latch_outputs.contains(name))
      return refuse(model, table.line, name, "is a latch output and is also defined by a table");
    if (!defined.insert(name))
      return refuse(model, table.line, name, "is defined by two tables");
  }
  return {};
}
