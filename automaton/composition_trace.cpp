// The trace of a composition.
#include "automaton/composition_trace.h"

#include <string>

#include "support/text.h"

composition_trace::composition_trace(std::ostream* target)
    : out_(target ? std::make_unique<tessaro::chunked_ostream>(*target) : nullptr) {}

void composition_trace::start(const composition_plan& plan, const Bddexpressionwood& definitions) {
  if (!out_) return;
  std::ostream& out = *out_;
  out << definitions << '\n';
  out << "tables des connexions :" << plan.connectors.size() << '\n';
  for (const b_automaton_connector& c : plan.connectors)
    out << c << '\n';
  out_->push();
}

void composition_trace::transitions_copied(const composition_plan& plan) {
  if (!out_) return;
  *out_ << "a merger" << plan.parts.size() << '\n';
  out_->push();
}

void composition_trace::definitions_copied(const composition_plan& plan,
                                           const Bddexpressionwood& definitions) {
  if (!out_) return;
  std::ostream& out = *out_;
  std::string line;
  for (std::size_t p = 0; p < plan.parts.size(); ++p) {
    const part_names& part = plan.parts[p];
    out << '\n';
    out << "AUTOMATE: " << p << " nb_state_vars " << part.nb_state_vars << " nb_inputs "
        << part.nb_inputs << " nb_outputs " << part.nb_outputs << " nb_locals " << part.nb_locals()
        << '\n';
    for (std::size_t k = 0; k < part.positions.size(); ++k) {
      const int entry = plan.by_position[p][k];
      line.clear();
      tessaro::append_number(line, static_cast<long>(k));
      line += " --> ";
      tessaro::append_number(line, entry);
      line += ' ';
      line += plan.name(entry);
      line += '\n';
      out << line;
    }
  }
  out << "nb equations definition " << definitions.exp_number() << '\n';
  out << definitions << '\n';
  out_->push();
}

void composition_trace::connection(const composition_plan& plan, int c) {
  if (!out_) return;
  const b_automaton_connector& w = plan.connectors[static_cast<std::size_t>(c)];
  const planned_wire& wire = plan.wires[static_cast<std::size_t>(c)];
  std::ostream& out = *out_;
  out << " cx " << c << '\n';
  out << "automate_input_id  " << w.my_input_instance_id() << " automate_output_id  "
      << w.my_output_instance_id() << '\n';
  out << "connexion " << plan.name(wire.input_var) << "= " << plan.name(wire.output_var) << '\n';
  out_->push();
}
