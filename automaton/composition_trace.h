// The trace of a composition: the plan and the tables built, written at the
// steps of the build (see compose() in automaton/composition.h). The text
// is gathered and handed to the target stream in large chunks, and at the
// end of each step, so that a fatal error later still finds each finished
// step written.
//
// Layout, step by step:
//  - start: the definition table with the variables and no equation, then
//    "tables des connexions :" and the number of connectors, then each
//    connector followed by an empty line;
//  - transitions_copied: "a merger" and the number of parts;
//  - definitions_copied: per part, an empty line, its counts ("AUTOMATE: p
//    nb_state_vars ... nb_locals ...") and one line "k --> index name" per
//    position; then "nb equations definition " with the number of
//    definitions and the definition table followed by an empty line;
//  - connection, per connector c: " cx c", the input and output instance
//    ids, and "connexion input= output".
#pragma once

#include <memory>
#include <ostream>

#include "automaton/composition_plan.h"
#include "expr/bdd_expression.h"
#include "support/chunked_output.h"

class composition_trace {
 public:
  // Writes into `target`, or nothing at all when it is null.
  explicit composition_trace(std::ostream* target);
  composition_trace(const composition_trace&) = delete;
  composition_trace& operator=(const composition_trace&) = delete;

  void start(const composition_plan& plan, const Bddexpressionwood& definitions);
  void transitions_copied(const composition_plan& plan);
  void definitions_copied(const composition_plan& plan, const Bddexpressionwood& definitions);
  void connection(const composition_plan& plan, int c);

 private:
  std::unique_ptr<tessaro::chunked_ostream> out_;
};
