// The table of equations over one manager, indexed by the left member's
// variable index, with the upstream links of every variable.
#include <cstdlib>
#include <iostream>

#include "expr/bdd_expression.h"

namespace {

// Doubling past this capacity would overflow the tables.
constexpr long kMaxCapacity = 536870911;

}  // namespace

Bddexpressionwood::Bddexpressionwood(bddpp_manager* m) : man(m) {
  nb_var_bdd = man ? man->Nb_bdd_vars() : 0;
  grow_capacity(nb_var_bdd, "in Bddexpression: Nb bdd vars reached!");
  exp_table.assign(static_cast<size_t>(nb_max_var_bdd), nullptr);
  amont_dep_table.resize(static_cast<size_t>(nb_var_bdd));
}

Bddexpressionwood::~Bddexpressionwood() = default;

void Bddexpressionwood::grow_capacity(long n, const char* message) {
  while (nb_max_var_bdd < n) {
    if (nb_max_var_bdd > kMaxCapacity) {
      std::cerr << message << std::endl;
      std::cerr << "program aborted ..." << std::endl;
      std::exit(1);
    }
    nb_max_var_bdd *= 2;
  }
}

bdd Bddexpressionwood::New_var_last(const std::string& name) {
  bdd var = man->New_var_last(name);
  update_bdd_vars();
  return var;
}

long Bddexpressionwood::Index_new_var_last(const std::string& name) {
  return man->Bdd_if_index(New_var_last(name));
}

void Bddexpressionwood::add_bdd_vars() {
  const long n = man->Nb_bdd_vars();
  if (nb_max_var_bdd < n) {
    grow_capacity(n, "in Bddexpressionwood: Nb bdd vars reached!");
    // The equations' dependence sets are recomputed over the new variables.
    for (long i = 0; i < nb_var_bdd; ++i)
      if (exp_table[i] != nullptr) exp_table[i]->internal_build_aval_dependances();
    exp_table.resize(static_cast<size_t>(nb_max_var_bdd), nullptr);
  }
  // The upstream sets exist for the variables in use only.
  amont_dep_table.resize(static_cast<size_t>(n));
  for (long i = nb_var_bdd; i < n; ++i) {
    exp_table[i] = nullptr;
    amont_dep_table[i].clear();
  }
  nb_var_bdd = n;
}

long Bddexpressionwood::free_index(bdd var) {
  const char* const internal = "INTERNAL ERROR in Bddexpressionwood::learn_expression():";
  const long k = man && var ? man->Bdd_if_index(var) : -1;
  if (k < 0 || k >= man->Nb_bdd_vars()) {
    std::cerr << internal << std::endl
              << (k < 0 ? "no left member in expression"
                        : "bdd variable doesn't exist in Bdd manager")
              << std::endl
              << std::endl;
    return -1;
  }
  if (k >= nb_var_bdd) update_bdd_vars();
  if (exp_table[k] != nullptr) {
    std::cerr << internal << std::endl
              << "expression id: " << k << " (" << *exp_table[k] << ") already known" << std::endl
              << std::endl;
    return -1;
  }
  return k;
}

void Bddexpressionwood::store(long k, Bddexpression* e) {
  exp_table[k] = e;
  ++ens_exp_count;
  ens_exp_order_valid = false;
  for (tessaro::scanset<long> it(e->dependances()); !it.last_item(); it.next_item())
    if (it.item() < nb_var_bdd) amont_dep_table[it.item()].add(k);
  raise_level(e->getEarlyDate());
  raise_level(e->getLateDate());
}

void Bddexpressionwood::learn_expression(Bddexpression* e) {
  if (e == nullptr) {
    std::cerr << "INTERNAL ERROR in Bddexpressionwood::learn_expression():" << std::endl
              << "no expression !!!" << std::endl
              << std::endl;
    return;
  }
  const long k = free_index(e->my_bdd_var());
  if (k < 0) return;
  Bddexpression* copy = stored.make(*e);
  // The copy's dependence set is checked against a fresh walk.
  copy->set_of_aval_dependances();
  store(k, copy);
}

Bddexpression* Bddexpressionwood::define(const std::string& name, bdd var, bdd exp) {
  return enter(name, var, exp, nullptr);
}

Bddexpression* Bddexpressionwood::define(const std::string& name, bdd var, bdd exp,
                                         const std::vector<long>& support) {
  return enter(name, var, exp, &support);
}

Bddexpression* Bddexpressionwood::enter(const std::string& name, bdd var, bdd exp,
                                        const std::vector<long>* support) {
  // Building an equation on the wood brings the tables up to date first.
  update_bdd_vars();
  const long k = free_index(var);
  if (k < 0) return nullptr;
  Bddexpression* e = stored.make(this);
  e->name = name;
  e->take_members(this, var, exp, 0, 0, support);
  store(k, e);
  return e;
}

namespace {

const std::string& left_member_name(const bddpp_manager* man, bdd var) {
  static const std::string no_name;
  return man ? man->Name_var_by_bdd(var) : no_name;
}

}  // namespace

Bddexpression* Bddexpressionwood::define(bdd var, bdd exp) {
  return enter(left_member_name(man, var), var, exp, nullptr);
}

Bddexpression* Bddexpressionwood::define(bdd var, bdd exp, const std::vector<long>& support) {
  return enter(left_member_name(man, var), var, exp, &support);
}

long Bddexpressionwood::exp_number() const {
  return ens_exp_count;
}

void Bddexpressionwood::list_defined_indexes() const {
  ens_exp_order.clear();
  ens_exp_order.reserve(static_cast<std::size_t>(ens_exp_count));
  for (long i = 0; i < nb_var_bdd; ++i)
    if (exp_table[i] != nullptr) ens_exp_order.push_back(i);
  ens_exp_order_valid = true;
}

Bddexpression* Bddexpressionwood::exp(int n) const {
  if (n < 0 || n >= exp_number()) {
    std::cerr << "in Bddexpressionwood::exp(): bad number ..." << std::endl;
    return nullptr;
  }
  return exp_table[defined_indexes()[n]];
}

Bddexpression* Bddexpressionwood::exp_at(long i) const {
  if (i < 0 || i >= nb_var_bdd) return nullptr;
  return exp_table[i];
}

void Bddexpressionwood::raise_level(long date) {
  if (date > nb_level) nb_level = date;
}

void Bddexpressionwood::add_amont_dependance(long i, long k) {
  // Both are variable indexes of the wood: the table has one entry per
  // variable in use, fewer than its capacity.
  if (i < 0 || i >= nb_var_bdd || k < 0 || k >= nb_var_bdd) {
    std::cerr << "in Bddexpressionwood::add_amont_dependance(): bad index ..." << std::endl;
    return;
  }
  amont_dep_table[i].add(k);
}

const tessaro::set<long>& Bddexpressionwood::amont_dependances(long i) const {
  if (i < 0 || i >= nb_var_bdd) {
    std::cerr << "in Bddexpressionwood::amont_dependances(): bad index ..." << std::endl;
    static const tessaro::set<long> none{};
    return none;
  }
  return amont_dep_table[i];
}
