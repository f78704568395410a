// Named equations over BDDs and the table (wood) that holds them.
//
// A Bddexpression is one equation: a left member that is a variable of a
// manager and a right member that is a BDD over the same manager, with the
// set of variable indexes the right member reads. A Bddexpressionwood holds
// at most one equation per left-member variable index, owns copies of the
// equations learnt, and keeps for every variable the set of equations that
// read it (its upstream links).
#pragma once

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "bdd/bdd.h"
#include "bddpp/bddpp_manager.h"
#include "support/chunked_output.h"
#include "support/object_pool.h"
#include "support/set.h"

class Bddexpressionwood;

class Bddexpression {
 public:
  // Builds the equation var = exp and enters a copy of it into `wood`.
  Bddexpression(std::string name, Bddexpressionwood* wood, bdd var, bdd exp, long early, long late);
  Bddexpression(std::string name, Bddexpressionwood* wood, bdd var, bdd exp, long early, long late,
                int usertype);
  // Same, named after the left member's variable.
  Bddexpression(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late);
  // An empty equation, attached to `wood` or to none.
  Bddexpression();
  explicit Bddexpression(Bddexpressionwood* wood);
  Bddexpression(const Bddexpression& other);
  Bddexpression& operator=(const Bddexpression& other);
  // Takes the other's references; the other is left empty.
  Bddexpression(Bddexpression&& other) noexcept;
  ~Bddexpression();

  // Recomputes the dependence set after bringing the wood up to date.
  void build_normal_dependances();
  void internal_build_aval_dependances();
  // Recomputes the dependence set, reports a difference with the stored one,
  // and returns the recomputed set.
  const tessaro::set<long>& set_of_aval_dependances();
  // Replaces the right member and adds upstream links for defined variables.
  void setBddExp(bdd exp);

  bdd my_bdd_var() const { return bdd_var; }
  bdd my_bdd_exp() const { return bdd_exp; }
  const std::string& my_name() const { return name; }
  void setName(std::string n) { name = std::move(n); }
  bddpp_manager* my_bdd_manager() const;
  Bddexpressionwood* my_wood() const { return pw; }
  // Variable index of the left member; -1 for a constant or none.
  long my_index_var() const;
  int getUserType() const { return usertype; }
  void setUserType(int t) { usertype = t; }
  long getEarlyDate() const { return earliest_date; }
  long getLateDate() const { return latest_date; }
  void setLateDate(long d);
  void setEarlyDate(long d);
  const tessaro::set<long>& dependances() const { return aval_dependance; }
  // The dependence set when it is known to be the support of the right
  // member as it is now; null when only a walk could tell.
  const tessaro::set<long>* current_dependances() const {
    return dependances_current() ? &aval_dependance : nullptr;
  }

  // Writes the equation as a BLIF cover (nothing without manager or members).
  void put_blif(std::ostream& out, int method) const;
  // The cover of the right member found while the dependence set is current
  // (see dependances_current), kept for the next text of the same cover.
  bddpp_cover_memo* cover_memo_room() const { return &cover_memo; }

  friend std::ostream& operator<<(std::ostream& out, const Bddexpression& e);

 private:
  friend class Bddexpressionwood;

  // Sets the wood, new references to both members and the dates, then the
  // dependence set when there is a wood (`support` when not null, the
  // support of exp, ascending; a walk of exp otherwise); enters nothing
  // into the wood.
  void take_members(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late,
                    const std::vector<long>* support = nullptr);
  // take_members, then enters a copy into the wood.
  void attach(Bddexpressionwood* wood, bdd var, bdd exp, long early, long late);
  void release_members();
  // Whether aval_dependance was computed for the right member as it is now,
  // with every variable at the index it had then. This equation holds a
  // reference to that node, so its function stays as it was: a new walk
  // would give the same set.
  bool dependances_current() const;
  // Records that aval_dependance is the support of the right member now.
  void note_dependances();

  Bddexpressionwood* pw = nullptr;
  std::string name;
  bdd bdd_var = 0;
  bdd bdd_exp = 0;
  tessaro::set<long> aval_dependance;
  bdd dependances_of = 0;      // the right member aval_dependance was computed for
  long dependances_order = 0;  // the manager's order changes at that time
  // Found for the right member dependances_of, over aval_dependance; dropped
  // whenever those are noted anew.
  mutable bddpp_cover_memo cover_memo;
  long latest_date = 0;
  long earliest_date = 0;
  int usertype = 0;
};

class Bddexpressionwood {
 public:
  explicit Bddexpressionwood(bddpp_manager* man);
  ~Bddexpressionwood();
  Bddexpressionwood(const Bddexpressionwood&) = delete;
  Bddexpressionwood& operator=(const Bddexpressionwood&) = delete;

  // The manager's New_var_last, then the tables brought up to date.
  bdd New_var_last(const std::string& name);
  long Index_new_var_last(const std::string& name);
  // Brings the tables up to the manager's current variable count.
  void update_bdd_vars() {
    if (man != nullptr && man->Nb_bdd_vars() > nb_var_bdd) add_bdd_vars();
  }
  // Stores a copy of e under its left member's index (rejects null, constant
  // and already defined left members with a message).
  void learn_expression(Bddexpression* e);
  // Enters the equation var = exp, named `name`, as building a Bddexpression
  // on this wood does (same checks, messages, dependence set and links),
  // without an equation of the caller's to copy. Returns the stored
  // equation, or null when the left member is refused.
  Bddexpression* define(const std::string& name, bdd var, bdd exp);
  // The same when the caller knows the support of exp: `support`, the
  // indexes exp depends on, ascending, stands for a walk of exp.
  Bddexpression* define(const std::string& name, bdd var, bdd exp,
                        const std::vector<long>& support);
  // The same, named after the left member's variable.
  Bddexpression* define(bdd var, bdd exp);
  Bddexpression* define(bdd var, bdd exp, const std::vector<long>& support);
  long exp_number() const;
  // The equation with the n-th smallest defined index (0-based), or null.
  Bddexpression* exp(int n) const;
  // The equation whose left member has index i, or null.
  Bddexpression* exp_at(long i) const;
  Bddexpression** Exp_table() { return exp_table.data(); }
  long Nb_bdd_vars() const { return nb_var_bdd; }
  long Nb_level() const { return nb_level; }
  void raise_level(long date);
  bddpp_manager* my_bdd_manager() const { return man; }
  // Records that the equation of index k reads variable i; refuses, with a
  // message, an index that is not a variable of the wood.
  void add_amont_dependance(long i, long k);
  // The equations that read variable i; empty, with a message, for an index
  // that is not a variable of the wood.
  const tessaro::set<long>& amont_dependances(long i) const;
  // The defined indexes, ascending.
  const std::vector<long>& defined_indexes() const {
    if (!ens_exp_order_valid) list_defined_indexes();
    return ens_exp_order;
  }
  // Room for the support walks of the table's equations, reused from one
  // walk to the next.
  std::vector<long>& support_room() { return support_walk; }

  // Forwards to the manager.
  bdd Bdd_and(bdd f, bdd g) { return man->Bdd_and(f, g); }
  bdd Bdd_not(bdd f) { return man->Bdd_not(f); }
  bdd Bdd_dup(bdd f) { return man->Bdd_dup(f); }
  void Bdd_free(bdd f) { man->Bdd_free(f); }
  bdd Bdd_one() const { return man->Bdd_one(); }
  bdd Bdd_then(bdd f) { return man->Bdd_then(f); }
  bdd Bdd_else(bdd f) { return man->Bdd_else(f); }
  bdd Bdd_if(bdd f) { return man->Bdd_if(f); }
  long Bdd_if_index(bdd f) const { return man->Bdd_if_index(f); }
  bdd Bdd_compose(bdd f, bdd v, bdd g) { return man->Bdd_compose(f, v, g); }
  bool Bdd_is_tautology(bdd f, int v) const { return man->Bdd_is_tautology(f, v); }
  bdd Bdd_var_by_index(long i) const { return man->Bdd_var_by_index(i); }
  bdd Bdd_var_by_name(const std::string& n) const { return man->Bdd_var_by_name(n); }
  long Index_var_by_bdd(bdd f) const { return man->Index_var_by_bdd(f); }
  long Index_exp_by_bdd(bdd f) const { return man->Index_var_by_bdd(f); }
  long Index_var_by_name(const std::string& n) const { return man->Index_var_by_name(n); }
  const std::string& Name_var_by_index(long i) const { return man->Name_var_by_index(i); }
  const std::string& Name_var_by_bdd(bdd f) const { return man->Name_var_by_bdd(f); }

  // Statistics text.
  void stat(std::ostream& out) const;
  // The statistics, then the line of every variable (operator<<), appended
  // to `text`.
  void append_stat(tessaro::chunked_buffer& text) const;
  void append_text(tessaro::chunked_buffer& text) const;
  friend std::ostream& operator<<(std::ostream& out, const Bddexpressionwood& w);

 private:
  // update_bdd_vars when the manager has variables the tables lack.
  void add_bdd_vars();
  // Doubles the capacity until it is at least n (fatal past the limit).
  void grow_capacity(long n, const char* who);
  // The index of the left member `var` when an equation may be stored
  // there; -1 after the message when var is no variable of the manager or
  // its index holds an equation already.
  long free_index(bdd var);
  // Rebuilds the ascending list of the defined indexes from the table.
  void list_defined_indexes() const;
  // Stores `e`, one of `stored`, at index k with its upstream links.
  void store(long k, Bddexpression* e);
  // define, with exp's support walked when `support` is null.
  Bddexpression* enter(const std::string& name, bdd var, bdd exp, const std::vector<long>* support);

  bddpp_manager* man;
  // Number of defined indexes; their ascending list is rebuilt on demand
  // from the table, so walking the equations in order costs one pass.
  long ens_exp_count = 0;
  mutable std::vector<long> ens_exp_order;
  mutable bool ens_exp_order_valid = true;
  long nb_var_bdd = 0;
  long nb_max_var_bdd = 1;
  std::vector<Bddexpression*> exp_table;
  // The copies the table points to.
  tessaro::object_pool<Bddexpression> stored;
  std::vector<tessaro::set<long>> amont_dep_table;
  long nb_level = 0;
  std::vector<long> support_walk;
};
