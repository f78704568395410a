// One wire of a composition: an output of one instance driving an input of
// another, by instance index and 0-based signal index.
#pragma once

#include <ostream>

class b_automaton_connector {
 public:
  b_automaton_connector() = default;
  b_automaton_connector(int output_instance, int output_signal, int input_instance,
                        int input_signal)
      : output_instance_id(output_instance),
        output_signal_id(output_signal),
        input_instance_id(input_instance),
        input_signal_id(input_signal) {}

  int my_output_instance_id() const { return output_instance_id; }
  int my_output_signal_id() const { return output_signal_id; }
  int my_input_instance_id() const { return input_instance_id; }
  int my_input_signal_id() const { return input_signal_id; }

  // "o:s --> i:s" followed by a line end and a flush.
  friend std::ostream& operator<<(std::ostream& out, const b_automaton_connector& c);

 private:
  int output_instance_id = -1;
  int output_signal_id = -1;
  int input_instance_id = -1;
  int input_signal_id = -1;
};
