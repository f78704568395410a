// The trace of a composition.
#include "automaton/composition_trace.h"

composition_trace::composition_trace(std::ostream* target)
    : out_(target ? std::make_unique<tessaro::chunked_ostream>(*target) : nullptr) {}

void composition_trace::start(const composition_plan& plan, const Bddexpressionwood& definitions) {
  if (!out_) return;
  tessaro::chunked_buffer& text = out_->text();
  definitions.append_text(text);
  text.append('\n');
  text.append("tables des connexions :");
  text.append_number(static_cast<long>(plan.connectors.size()));
  text.append('\n');
  for (const b_automaton_connector& c : plan.connectors)
    *out_ << c << '\n';
  out_->push();
}

void composition_trace::transitions_copied(const composition_plan& plan) {
  if (!out_) return;
  tessaro::chunked_buffer& text = out_->text();
  text.append("a merger");
  text.append_number(static_cast<long>(plan.parts.size()));
  text.append('\n');
  out_->push();
}

void composition_trace::definitions_copied(const composition_plan& plan,
                                           const Bddexpressionwood& definitions) {
  if (!out_) return;
  tessaro::chunked_buffer& text = out_->text();
  for (std::size_t p = 0; p < plan.parts.size(); ++p) {
    const part_names& part = plan.parts[p];
    text.append("\nAUTOMATE: ");
    text.append_number(static_cast<long>(p));
    text.append(" nb_state_vars ");
    text.append_number(part.nb_state_vars);
    text.append(" nb_inputs ");
    text.append_number(part.nb_inputs);
    text.append(" nb_outputs ");
    text.append_number(part.nb_outputs);
    text.append(" nb_locals ");
    text.append_number(part.nb_locals());
    text.append('\n');
    for (std::size_t k = 0; k < part.positions.size(); ++k) {
      const int entry = plan.by_position[p][k];
      text.append_number(static_cast<long>(k));
      text.append(" --> ", 5);
      text.append_number(entry);
      text.append(' ');
      text.append(plan.name(entry));
      text.append('\n');
    }
  }
  text.append("nb equations definition ");
  text.append_number(definitions.exp_number());
  text.append('\n');
  definitions.append_text(text);
  text.append('\n');
  out_->push();
}

void composition_trace::connection(const composition_plan& plan, int c) {
  if (!out_) return;
  const b_automaton_connector& w = plan.connectors[static_cast<std::size_t>(c)];
  const planned_wire& wire = plan.wires[static_cast<std::size_t>(c)];
  tessaro::chunked_buffer& text = out_->text();
  text.append(" cx ");
  text.append_number(c);
  text.append("\nautomate_input_id  ");
  text.append_number(w.my_input_instance_id());
  text.append(" automate_output_id  ");
  text.append_number(w.my_output_instance_id());
  text.append("\nconnexion ");
  text.append(plan.name(wire.input_var));
  text.append("= ");
  text.append(plan.name(wire.output_var));
  text.append('\n');
  out_->push();
}
