// The builder of a composition: carries out a plan on a new manager. It
// creates the composed variables in index order, then, step by step, copies
// the parts' initial states, transitions, definitions, assertions and
// invariants through per-part variable maps, and adds one definition per
// connector. It prints nothing; compose() (automaton/composition.h) runs the
// steps with the trace between them.
#pragma once

#include <memory>
#include <vector>

#include "automaton/b_automaton.h"
#include "automaton/composition_plan.h"
#include "automaton/function_copier.h"

class composition_builder {
 public:
  // Creates the manager, the two tables and the composed variables.
  // parts[p] is the automaton of plan part p; both must outlive the builder.
  composition_builder(const composition_plan& plan, const std::vector<const b_automaton*>& parts);
  composition_builder(const composition_builder&) = delete;
  composition_builder& operator=(const composition_builder&) = delete;
  ~composition_builder();

  const Bddexpressionwood& definitions() const { return *storage_->def_wood; }

  // The conjunction of the parts' initial states.
  void copy_initial_states();
  // Every part's transitions, under their prefixed state variables.
  void copy_transitions();
  // Every part's definitions (those of an ored output joined by or), each
  // part followed by its planned signal copies.
  void copy_definitions();
  // The definition of connector c: its input's local = its output.
  void connect(int c);
  // The conjunctions of the parts' assertions and of their invariants (null
  // when no part has one).
  void copy_assertions();
  // The automaton built; the builder is spent.
  std::unique_ptr<b_automaton> finish();

 private:
  // One part, with the composed index of each of its manager's variables.
  struct part_copy {
    part_copy(const b_automaton* automaton, std::vector<int> map, bddpp_manager* target);
    const b_automaton* automaton;
    std::vector<int> by_variable;
    // No two variables of the part become the same composed variable: a
    // copy then reads exactly the images of what its original reads.
    bool renames;
    function_copier copier;
  };

  // The support of the copy of e's right member, ascending, into support_,
  // from e's own dependence set; false when that set is not known current
  // or the part's map does not rename its variables one to one.
  bool copied_support(const part_copy& part, const Bddexpression& e);
  // Enters var = f into `wood`, with the support copied_support found when
  // `known` (a walk of f otherwise).
  void define_copy(Bddexpressionwood* wood, bdd var, bdd f, bool known);
  // var = f, or var = (its definition so far) or f; `known` as above.
  void define_or_join(bdd var, bdd f, bool known);
  // Same for a function that is the variable of composed index k.
  void define_or_join_variable(bdd var, int k);
  bdd var(int k) const { return storage_->manager->Bdd_var_by_index(k); }

  const composition_plan& plan_;
  std::shared_ptr<b_autom_storage> storage_;
  std::vector<std::unique_ptr<part_copy>> parts_;
  bdd initial_state_ = 0;
  bdd assertion_ = 0;
  bdd invariant_ = 0;
  std::vector<long> support_;
};
