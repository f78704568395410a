// Merge and output stage of a run.
#include "driver/merge_stage.h"

#include <memory>

#include "automaton/merge.h"

std::unique_ptr<b_automaton> merge_and_write(b_automaton* first, b_automaton* second,
                                             std::ostream& out, const std::string& name1,
                                             const std::string& name2) {
  std::unique_ptr<b_automaton> merged(merge(first, second));
  merged->BLIF_put(out, 2, name1 + "_" + name2);
  return merged;
}
