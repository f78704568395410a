// Merge and output stage of a run.
#include "driver/merge_stage.h"

#include <iostream>
#include <memory>

#include "automaton/composition.h"
#include "automaton/merge.h"
#include "support/activity.h"
#include "support/end_of_run.h"

tessaro::outcome merge_and_write(const b_automaton& first, const std::string& file1,
                                 const b_automaton& second, const std::string& file2,
                                 std::ostream& out, const std::string& model_name) {
  tessaro::set_activity("model", model_name);
  const std::vector<b_automaton_connector> connectors = merge_connectors(first, second);
  print_connections(std::cout, connectors);
  composition_plan plan;
  tessaro::outcome planned =
      plan_composition(merge_parts(first, file1, second, file2), connectors, plan);
  if (!planned) return planned;
  std::unique_ptr<b_automaton> merged = compose(plan, {&first, &second}, &std::cerr);
  merged->BLIF_put(out, 2, model_name);
  tessaro::release_at_end_of_run(merged);
  return {};
}
