// Text forms of an equation, of a wood's statistics and of a whole wood. Each
// line is built in a string and written at once.
#include <ostream>
#include <string>

#include "expr/bdd_expression.h"
#include "support/text.h"

namespace {

void append_equation(std::string& text, const Bddexpression& e, bddpp_manager* man) {
  if (man == nullptr) {
    text += "--";
  } else if (e.my_bdd_var() != 0) {
    text += '<';
    text += e.my_name();
    text += "> ";
    text += man->Name_var_by_bdd(e.my_bdd_var());
    if (e.my_bdd_exp() != 0) {
      text += " = ";
      text += man->Print_sop_to_String(" + ", " * ", "!", "", e.my_bdd_exp(), 1);
    }
  } else {
    text += '-';
  }
  text += " usertype: ";
  tessaro::append_number(text, e.getUserType());
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Bddexpression& e) {
  std::string text;
  append_equation(text, e, e.my_bdd_manager());
  return out << text;
}

void Bddexpressionwood::stat(std::ostream& out) const {
  std::string text = "wood Bddexpression statistics:\n";
  text += "  - bbd variables number of the bdd manager: ";
  tessaro::append_number(text, man->Nb_bdd_vars());
  text += "\n  - variables number used : ";
  tessaro::append_number(text, nb_var_bdd);
  text += '\n';
  if (man->Nb_bdd_vars() != nb_var_bdd)
    text += "INTERNAL ERROR: bdd variables number doesn't corresponding !!!\n";
  text += "  - arrays's length  : ";
  tessaro::append_number(text, nb_max_var_bdd);
  text += "\n  - expression ids set {";
  const char* sep = "";
  for (long k : defined_indexes()) {
    text += sep;
    tessaro::append_number(text, k);
    sep = ", ";
  }
  text += "}\n  - nb levels ";
  tessaro::append_number(text, nb_level);
  text += "\n\n";
  out << text;
  out.flush();
}

std::ostream& operator<<(std::ostream& out, const Bddexpressionwood& w) {
  w.stat(out);
  out << "Equations list:\n";
  std::string line;
  for (long i = 0; i < w.nb_var_bdd; ++i) {
    line.clear();
    tessaro::append_number(line, i);
    line += ": ";
    Bddexpression* e = w.exp_table[i];
    if (e != nullptr) {
      append_equation(line, *e, e->my_bdd_manager());
      line += " dates (";
      tessaro::append_number(line, e->getEarlyDate());
      line += ',';
      tessaro::append_number(line, e->getLateDate());
      line += ") from vars ";
      e->set_of_aval_dependances().append_text(line);
    } else {
      line += w.man->Name_var_by_index(i);
      line += " = -";
    }
    line += "  to vars ";
    w.amont_dep_table[i].append_text(line);
    line += '\n';
    out << line;
  }
  return out << std::flush;
}
