// Text forms of an equation, of a wood's statistics and of a whole wood.
#include <ostream>

#include "expr/bdd_expression.h"

std::ostream& operator<<(std::ostream& out, const Bddexpression& e) {
  bddpp_manager* man = e.my_bdd_manager();
  if (man == nullptr) {
    out << "--";
  } else if (e.bdd_var != 0) {
    out << "<" << e.name << "> " << man->Name_var_by_bdd(e.bdd_var);
    if (e.bdd_exp != 0) {
      out << " = ";
      man->Print_sop(" + ", " * ", "!", "", out, e.bdd_exp, 1);
    }
  } else {
    out << "-";
  }
  return out << " usertype: " << e.usertype;
}

void Bddexpressionwood::stat(std::ostream& out) const {
  out << "wood Bddexpression statistics:" << std::endl;
  out << "  - bbd variables number of the bdd manager: " << man->Nb_bdd_vars() << std::endl;
  out << "  - variables number used : " << nb_var_bdd << std::endl;
  if (man->Nb_bdd_vars() != nb_var_bdd)
    out << "INTERNAL ERROR: bdd variables number doesn't corresponding !!!" << std::endl;
  out << "  - arrays's length  : " << nb_max_var_bdd << std::endl;
  out << "  - expression ids set {";
  const char* sep = "";
  for (long k : defined_indexes()) {
    out << sep << k;
    sep = ", ";
  }
  out << "}" << std::endl;
  out << "  - nb levels " << nb_level << std::endl;
  out << std::endl;
}

std::ostream& operator<<(std::ostream& out, const Bddexpressionwood& w) {
  w.stat(out);
  out << "Equations list:" << std::endl;
  for (long i = 0; i < w.nb_var_bdd; ++i) {
    out << i << ": ";
    Bddexpression* e = w.exp_table[i];
    if (e != nullptr) {
      out << *e << " dates (" << e->getEarlyDate() << "," << e->getLateDate() << ")"
          << " from vars " << e->set_of_aval_dependances();
    } else {
      out << w.man->Name_var_by_index(i) << " = -";
    }
    out << "  to vars " << w.amont_dep_table[i] << std::endl;
  }
  return out;
}
