// BLIF writer of an automaton: header, interface, latches, one cover per
// definition, end marker.
#include <iostream>

#include "automaton/b_automaton.h"

void b_automaton::BLIF_put(std::ostream& out, int method, const std::string& model_name) const {
  out << ".model " << model_name << std::endl;
  if (nb_inputs() > 0) {
    out << ".inputs";
    for (const std::string& name : names->input_names)
      out << " " << name;
  }
  out << std::endl;
  if (nb_outputs() > 0) {
    out << ".outputs";
    for (const std::string& name : names->output_names)
      out << " " << name;
    out << std::endl;
  }
  bddpp_manager* man = manager_associe();
  for (int i = 0; i < nb_equ_trans(); ++i) {
    const Bddexpression* e = equ_trans(i);
    bdd both = man->Bdd_and(e->my_bdd_var(), initial_state);
    const char* value = man->Bdd_is_tautology(both, 0) ? "0" : "1";
    man->Bdd_free(both);
    out << ".latch " << man->Name_var_by_bdd(e->my_bdd_exp()) << " "
        << man->Name_var_by_bdd(e->my_bdd_var()) << " " << value << std::endl;
  }
  out << std::endl;
  for (int i = 0; i < nb_equ_def(); ++i)
    equ_def(i)->put_blif(out, method);
  out << std::endl;
  out << ".end" << std::endl;
  out << std::endl;
}
