// Text form of a connector.
#include "automaton/b_automaton_connector.h"

std::ostream& operator<<(std::ostream& out, const b_automaton_connector& c) {
  return out << c.output_instance_id << ":" << c.output_signal_id << " --> " << c.input_instance_id
             << ":" << c.input_signal_id << std::endl;
}
