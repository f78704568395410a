// Text forms of an equation, of a wood's statistics and of a whole wood. The
// wood's text is appended in place to a chunked buffer: names are copied
// from where they live, numbers written straight into the buffer.
#include <ostream>
#include <string>

#include "expr/bdd_expression.h"
#include "support/chunked_output.h"

namespace {

// `support`, when not null, is the support of e's right member.
void append_equation(tessaro::chunked_buffer& text, const Bddexpression& e, bddpp_manager* man,
                     const std::vector<long>* support = nullptr) {
  if (man == nullptr) {
    text.append("--", 2);
  } else if (e.my_bdd_var() != 0) {
    text.append('<');
    text.append(e.my_name());
    text.append("> ", 2);
    text.append(man->Name_var_by_bdd(e.my_bdd_var()));
    if (e.my_bdd_exp() != 0) {
      text.append(" = ", 3);
      man->Append_sop(text, " + ", " * ", "!", "", e.my_bdd_exp(), 1, support,
                      support != nullptr ? e.cover_memo_room() : nullptr);
    }
  } else {
    text.append('-');
  }
  text.append(" usertype: ");
  text.append_number(e.getUserType());
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Bddexpression& e) {
  tessaro::chunked_buffer text(out);
  append_equation(text, e, e.my_bdd_manager());
  text.push();
  return out;
}

void Bddexpressionwood::append_stat(tessaro::chunked_buffer& text) const {
  text.append("wood Bddexpression statistics:\n");
  text.append("  - bbd variables number of the bdd manager: ");
  text.append_number(man->Nb_bdd_vars());
  text.append("\n  - variables number used : ");
  text.append_number(nb_var_bdd);
  text.append('\n');
  if (man->Nb_bdd_vars() != nb_var_bdd)
    text.append("INTERNAL ERROR: bdd variables number doesn't corresponding !!!\n");
  text.append("  - arrays's length  : ");
  text.append_number(nb_max_var_bdd);
  text.append("\n  - expression ids set {");
  const char* sep = "";
  for (long k : defined_indexes()) {
    text.append(sep);
    text.append_number(k);
    sep = ", ";
  }
  text.append("}\n  - nb levels ");
  text.append_number(nb_level);
  text.append("\n\n");
}

void Bddexpressionwood::stat(std::ostream& out) const {
  tessaro::chunked_buffer text(out);
  append_stat(text);
  text.push();
}

void Bddexpressionwood::append_text(tessaro::chunked_buffer& text) const {
  append_stat(text);
  text.append("Equations list:\n");
  for (long i = 0; i < nb_var_bdd; ++i) {
    Bddexpression* e = exp_table[i];
    // The check of the dependences may report an error: it comes before
    // any byte of the line, as when each line was built whole first. It
    // leaves the support of the right member in the support room, which
    // the cover text reuses.
    const tessaro::set<long>* reads = e != nullptr ? &e->set_of_aval_dependances() : nullptr;
    const std::vector<long>* support =
        e != nullptr && e->my_wood() == this ? &support_walk : nullptr;
    text.append_number(i);
    text.append(": ", 2);
    if (e != nullptr) {
      append_equation(text, *e, e->my_bdd_manager(), support);
      text.append(" dates (");
      text.append_number(e->getEarlyDate());
      text.append(',');
      text.append_number(e->getLateDate());
      text.append(") from vars ");
      reads->append_text(text);
    } else {
      text.append(man->Name_var_by_index(i));
      text.append(" = -", 4);
    }
    text.append("  to vars ");
    amont_dep_table[i].append_text(text);
    text.append('\n');
  }
}

std::ostream& operator<<(std::ostream& out, const Bddexpressionwood& w) {
  tessaro::chunked_buffer text(out);
  w.append_text(text);
  text.push();
  return out;
}
