// One equation over a manager: construction, copies, dependence sets and
// replacement of the right member.
#include "expr/bdd_expression.h"

#include <iostream>
#include <vector>

Bddexpression::Bddexpression(std::string n, Bddexpressionwood* wood, bdd var, bdd exp, long early,
                             long late)
    : name(std::move(n)) {
  attach(wood, var, exp, early, late);
}

Bddexpression::Bddexpression(std::string n, Bddexpressionwood* wood, bdd var, bdd exp, long early,
                             long late, int type)
    : name(std::move(n)), usertype(type) {
  attach(wood, var, exp, early, late);
}

Bddexpression::Bddexpression(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late)
    : name(wood && wood->my_bdd_manager() ? wood->Name_var_by_bdd(var) : std::string()) {
  attach(wood, var, exp, early, late);
}

Bddexpression::Bddexpression() = default;

Bddexpression::Bddexpression(Bddexpressionwood* wood) : pw(wood) {}

Bddexpression::Bddexpression(const Bddexpression& other)
    : pw(other.pw),
      name(other.name),
      aval_dependance(other.aval_dependance),
      dependances_of(other.dependances_of),
      dependances_order(other.dependances_order),
      cover_memo(other.cover_memo),
      latest_date(other.latest_date),
      earliest_date(other.earliest_date),
      usertype(other.usertype) {
  bddpp_manager* man = my_bdd_manager();
  if (man != nullptr) {
    bdd_var = other.bdd_var ? man->Bdd_dup(other.bdd_var) : 0;
    bdd_exp = other.bdd_exp ? man->Bdd_dup(other.bdd_exp) : 0;
  }
}

Bddexpression::Bddexpression(Bddexpression&& other) noexcept
    : pw(other.pw),
      name(std::move(other.name)),
      bdd_var(other.bdd_var),
      bdd_exp(other.bdd_exp),
      aval_dependance(std::move(other.aval_dependance)),
      dependances_of(other.dependances_of),
      dependances_order(other.dependances_order),
      cover_memo(other.cover_memo),
      latest_date(other.latest_date),
      earliest_date(other.earliest_date),
      usertype(other.usertype) {
  other.bdd_var = other.bdd_exp = 0;
  other.dependances_of = 0;
}

Bddexpression& Bddexpression::operator=(const Bddexpression& other) {
  if (this == &other) return *this;
  Bddexpression copy(other);
  release_members();
  pw = copy.pw;
  name = copy.name;
  aval_dependance = copy.aval_dependance;
  dependances_of = copy.dependances_of;
  dependances_order = copy.dependances_order;
  cover_memo = copy.cover_memo;
  latest_date = copy.latest_date;
  earliest_date = copy.earliest_date;
  usertype = copy.usertype;
  bdd_var = copy.bdd_var;
  bdd_exp = copy.bdd_exp;
  copy.bdd_var = copy.bdd_exp = 0;
  return *this;
}

Bddexpression::~Bddexpression() {
  release_members();
}

void Bddexpression::release_members() {
  bddpp_manager* man = my_bdd_manager();
  if (man == nullptr) return;
  if (bdd_var) man->Bdd_free(bdd_var);
  if (bdd_exp) man->Bdd_free(bdd_exp);
  bdd_var = bdd_exp = dependances_of = 0;
}

void Bddexpression::take_members(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late,
                                 const std::vector<long>* support) {
  pw = wood;
  bddpp_manager* man = my_bdd_manager();
  if (man != nullptr) {
    bdd_var = var ? man->Bdd_dup(var) : 0;
    bdd_exp = exp ? man->Bdd_dup(exp) : 0;
  }
  earliest_date = early;
  latest_date = late;
  if (pw == nullptr) return;
  if (support == nullptr || man == nullptr || bdd_exp == 0) {
    build_normal_dependances();
    return;
  }
  pw->update_bdd_vars();
  aval_dependance.assign_sorted(*support);
  note_dependances();
}

void Bddexpression::attach(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late) {
  take_members(wood, var, exp, early, late);
  if (pw != nullptr) pw->learn_expression(this);
}

bddpp_manager* Bddexpression::my_bdd_manager() const {
  return pw ? pw->my_bdd_manager() : nullptr;
}

long Bddexpression::my_index_var() const {
  bddpp_manager* man = my_bdd_manager();
  if (man == nullptr || bdd_var == 0) return -1;
  return man->Bdd_if_index(bdd_var);
}

void Bddexpression::build_normal_dependances() {
  if (pw != nullptr) pw->update_bdd_vars();
  internal_build_aval_dependances();
}

void Bddexpression::internal_build_aval_dependances() {
  bddpp_manager* man = my_bdd_manager();
  if (dependances_current()) return;
  aval_dependance.clear();
  dependances_of = 0;
  if (man == nullptr || bdd_exp == 0) return;
  std::vector<long>& indexes = pw->support_room();
  man->Support_indexes(bdd_exp, indexes);
  aval_dependance.assign_sorted(indexes);
  note_dependances();
}

bool Bddexpression::dependances_current() const {
  if (bdd_exp == 0 || bdd_exp != dependances_of) return false;
  bddpp_manager* man = my_bdd_manager();
  return man != nullptr && man->Order_changes() == dependances_order;
}

void Bddexpression::note_dependances() {
  bddpp_manager* man = my_bdd_manager();
  dependances_of = man != nullptr ? bdd_exp : 0;
  dependances_order = man != nullptr ? man->Order_changes() : 0;
  cover_memo = {};
}

const tessaro::set<long>& Bddexpression::set_of_aval_dependances() {
  bddpp_manager* man = my_bdd_manager();
  std::vector<long> no_wood;  // empty: costs no allocation
  std::vector<long>& indexes = pw != nullptr ? pw->support_room() : no_wood;
  if (dependances_current()) {
    // The stored set is that of this very node; the support room gets it
    // as a walk would have left it.
    aval_dependance.copy_to(indexes);
    return aval_dependance;
  }
  indexes.clear();
  if (man != nullptr && bdd_exp != 0) man->Support_indexes(bdd_exp, indexes);
  note_dependances();
  if (!aval_dependance.same_as(indexes)) {
    const tessaro::set<long> kept = aval_dependance;
    aval_dependance.assign_sorted(indexes);
    std::cerr << "in  Bddexpression::set_of_aval_dependances() internal error:" << std::endl;
    std::cerr << "found dependance " << kept << " computed: " << aval_dependance << std::endl;
  }
  return aval_dependance;
}

void Bddexpression::setBddExp(bdd exp) {
  bddpp_manager* man = my_bdd_manager();
  if (man == nullptr) {
    std::cerr << "In Bddexpression::setBddExp(): " << std::endl;
    std::cerr << "   no wood defined! Aborted  ..." << std::endl;
    return;
  }
  bdd old = bdd_exp;
  bdd_exp = exp ? man->Bdd_dup(exp) : 0;
  if (old) man->Bdd_free(old);
  build_normal_dependances();
  const long k = my_index_var();
  for (tessaro::scanset<long> it(aval_dependance); !it.last_item(); it.next_item()) {
    const long i = it.item();
    if (i < pw->Nb_bdd_vars() && pw->exp_at(i) != nullptr) pw->add_amont_dependance(i, k);
  }
}

void Bddexpression::setLateDate(long d) {
  latest_date = d;
}

void Bddexpression::setEarlyDate(long d) {
  earliest_date = d;
  if (pw != nullptr) pw->raise_level(d);
}

void Bddexpression::put_blif(std::ostream& out, int method) const {
  bddpp_manager* man = my_bdd_manager();
  if (man == nullptr || bdd_var == 0 || bdd_exp == 0) return;
  if (!dependances_current()) {
    man->BLIF_print(out, bdd_var, bdd_exp, method);
    return;
  }
  std::vector<long>& support = pw->support_room();
  aval_dependance.copy_to(support);
  man->BLIF_print(out, bdd_var, bdd_exp, method, &support, &cover_memo);
}
