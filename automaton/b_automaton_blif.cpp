// BLIF writer of an automaton: header, interface, latches, one cover per
// definition, end marker; by method, or with the covers of any width.
#include <iostream>
#include <utility>
#include <vector>

#include "automaton/b_automaton.h"
#include "support/activity.h"
#include "support/reference_paths.h"

void b_automaton::BLIF_put_head(std::ostream& out, const std::string& model_name) const {
  out << ".model " << model_name << '\n';
  if (nb_inputs() > 0) {
    out << ".inputs";
    for (const std::string& name : names->input_names)
      out << " " << name;
  }
  out << '\n';
  if (nb_outputs() > 0) {
    out << ".outputs";
    for (const std::string& name : names->output_names)
      out << " " << name;
    out << '\n';
  }
  bddpp_manager* man = manager_associe();
  // A latch starts at 0 when its variable and the initial state cannot both
  // hold. An initial state that is a product gives every answer in one walk.
  std::vector<char> negative_at;
  std::vector<std::pair<long, int>> literals;
  const bool product = !tessaro::reference_paths() && man->Cube_literals(initial_state, literals);
  if (product) {
    negative_at.assign(static_cast<std::size_t>(man->Nb_bdd_vars()), 0);
    for (const auto& [index, sign] : literals)
      negative_at[static_cast<std::size_t>(index)] = sign == 0;
  }
  for (int i = 0; i < nb_equ_trans(); ++i) {
    const Bddexpression* e = equ_trans(i);
    const char* value;
    if (product && man->Bdd_is_var(e->my_bdd_var())) {
      const auto index = static_cast<std::size_t>(man->Bdd_if_index(e->my_bdd_var()));
      value = negative_at[index] ? "0" : "1";
    } else {
      bdd both = man->Bdd_and(e->my_bdd_var(), initial_state);
      value = man->Bdd_is_tautology(both, 0) ? "0" : "1";
      man->Bdd_free(both);
    }
    out << ".latch " << man->Name_var_by_bdd(e->my_bdd_exp()) << " "
        << man->Name_var_by_bdd(e->my_bdd_var()) << " " << value << '\n';
  }
  out << '\n';
}

void b_automaton::BLIF_put(std::ostream& out, int method, const std::string& model_name) const {
  BLIF_put_head(out, model_name);
  bddpp_manager* man = manager_associe();
  // A fatal stop while a cover is computed (a product limit, no memory
  // left) names the signal it was for.
  for (int i = 0; i < nb_equ_def(); ++i) {
    const Bddexpression* e = equ_def(i);
    if (e->my_bdd_var() != 0 && man->Bdd_if_index(e->my_bdd_var()) >= 0)
      tessaro::set_activity("signal", man->Name_var_by_bdd(e->my_bdd_var()));
    e->put_blif(out, method);
  }
  tessaro::clear_activity();
  out << '\n';
  out << ".end" << '\n';
  out << '\n';
  out.flush();
}

tessaro::outcome b_automaton::BLIF_put_wide(std::ostream& out, const std::string& model_name,
                                            std::vector<std::string>& wide_signals) const {
  BLIF_put_head(out, model_name);
  bddpp_manager* man = manager_associe();
  for (int i = 0; i < nb_equ_def(); ++i) {
    const Bddexpression* e = equ_def(i);
    const bdd var = e->my_bdd_var();
    const bdd f = e->my_bdd_exp();
    if (var == 0 || f == 0 || e->my_bdd_manager() == nullptr) continue;
    const std::string& signal = man->Name_var_by_bdd(var);
    if (man->Bdd_if_index(var) >= 0) tessaro::set_activity("signal", signal);
    switch (man->BLIF_print_wide(out, var, f)) {
      case bddpp_manager::wide_cover::primes:
        break;
      case bddpp_manager::wide_cover::irredundant:
        wide_signals.push_back(signal);
        break;
      case bddpp_manager::wide_cover::too_large:
        tessaro::clear_activity();
        return tessaro::refusal(
            "", 0, signal,
            bddpp_manager::Wide_cover_message(bddpp_manager::wide_cover::too_large, signal));
    }
  }
  tessaro::clear_activity();
  out << '\n';
  out << ".end" << '\n';
  out << '\n';
  out.flush();
  return {};
}
