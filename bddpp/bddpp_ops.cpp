// Boolean operations and queries: forwards to the engine, plus the few
// compound ones (implication, extraction, simplification, variable renaming
// through an index map) built from them.
#include <iostream>

#include "bddpp/bddpp_manager.h"

bdd bddpp_manager::Bdd_ite(bdd f, bdd g, bdd h) {
  return bdd_ite(internal_man, f, g, h);
}

bdd bddpp_manager::Bdd_var_ite(long index, bdd t, bdd e) {
  return bdd_var_ite(internal_man, index, t, e);
}

bdd bddpp_manager::Bdd_and(bdd f, bdd g) {
  return bdd_and(internal_man, f, g);
}

bdd bddpp_manager::Bdd_nand(bdd f, bdd g) {
  return bdd_nand(internal_man, f, g);
}

bdd bddpp_manager::Bdd_or(bdd f, bdd g) {
  return bdd_or(internal_man, f, g);
}

bdd bddpp_manager::Bdd_nor(bdd f, bdd g) {
  return bdd_nor(internal_man, f, g);
}

bdd bddpp_manager::Bdd_xor(bdd f, bdd g) {
  return bdd_xor(internal_man, f, g);
}

bdd bddpp_manager::Bdd_xnor(bdd f, bdd g) {
  return bdd_xnor(internal_man, f, g);
}

bdd bddpp_manager::Bdd_eq(bdd f, bdd g) {
  return bdd_xnor(internal_man, f, g);
}

bdd bddpp_manager::Bdd_implication(bdd f, bdd g) {
  bdd not_f = bdd_not(internal_man, f);
  bdd r = bdd_or(internal_man, not_f, g);
  bdd_free(internal_man, not_f);
  return r;
}

bdd bddpp_manager::Bdd_not(bdd f) {
  return bdd_not(internal_man, f);
}

bdd bddpp_manager::Bdd_dup(bdd f) {
  return bdd_identity(internal_man, f);
}

bdd bddpp_manager::Bdd_compose(bdd f, bdd v, bdd g) {
  return bdd_compose(internal_man, f, v, g);
}

bdd bddpp_manager::Bdd_reduce(bdd f, bdd care) {
  return bdd_reduce(internal_man, f, care);
}

bdd bddpp_manager::Bdd_then(bdd f) {
  return bdd_then(internal_man, f);
}

bdd bddpp_manager::Bdd_else(bdd f) {
  return bdd_else(internal_man, f);
}

bdd bddpp_manager::Bdd_if(bdd f) {
  return bdd_if(internal_man, f);
}

void bddpp_manager::Bdd_free(bdd f) {
  bdd_free(internal_man, f);
}

bdd bddpp_manager::Bdd_zero() const {
  return bdd_zero(internal_man);
}

bdd bddpp_manager::Bdd_one() const {
  return bdd_one(internal_man);
}

bdd bddpp_manager::Bdd_var_by_index(long index) const {
  return bdd_var_with_index(internal_man, index);
}

bdd bddpp_manager::Bdd_var_by_id(long id) const {
  return bdd_var_with_id(internal_man, id + 1);
}

long bddpp_manager::Bdd_if_index(bdd f) const {
  return bdd_if_index(internal_man, f);
}

long bddpp_manager::Index_var_by_bdd(bdd f) const {
  return bdd_if_index(internal_man, f);
}

long bddpp_manager::Bdd_if_id(bdd f) const {
  const long engine_id = bdd_if_id(internal_man, f);
  return engine_id < 0 ? -1 : engine_id - 1;
}

long bddpp_manager::Id_var_by_bdd(bdd f) const {
  return Bdd_if_id(f);
}

long bddpp_manager::Nb_bdd_vars() const {
  return bdd_vars(internal_man);
}

long bddpp_manager::Order_changes() const {
  return bdd_order_changes(internal_man);
}

bool bddpp_manager::Bdd_is_tautology(bdd f, int v) const {
  return bdd_type(internal_man, f) == (v != 0 ? BDD_TYPE_ONE : BDD_TYPE_ZERO);
}

bool bddpp_manager::Bdd_is_terminal(bdd f) const {
  const int type = bdd_type(internal_man, f);
  return type == BDD_TYPE_ZERO || type == BDD_TYPE_ONE || type == BDD_TYPE_POSVAR ||
         type == BDD_TYPE_NEGVAR || type == BDD_TYPE_CONSTANT;
}

bool bddpp_manager::Bdd_is_var(bdd f) const {
  // A variable is the positive literal of its own top variable.
  return f != 0 && bdd_type(internal_man, f) == BDD_TYPE_POSVAR;
}

bool bddpp_manager::Bdd_is_neg_var(bdd f) const {
  return f != 0 && bdd_type(internal_man, f) == BDD_TYPE_NEGVAR;
}

bool bddpp_manager::Bdds_excl(bdd f, bdd g) {
  bdd both = bdd_and(internal_man, f, g);
  const bool disjoint = bdd_type(internal_man, both) == BDD_TYPE_ZERO;
  bdd_free(internal_man, both);
  return disjoint;
}

bool bddpp_manager::Bdds_exclude(bdd f, bdd g) {
  return Bdds_excl(f, g);
}

bool bddpp_manager::Bdd_equiv(bdd f, bdd g) {
  bdd same = bdd_xnor(internal_man, f, g);
  const bool equal = bdd_type(internal_man, same) == BDD_TYPE_ONE;
  bdd_free(internal_man, same);
  return equal;
}

bool bddpp_manager::Bdd_imply(bdd f, bdd g) {
  bdd r = bdd_reduce(internal_man, g, f);
  const bool implies = bdd_type(internal_man, r) == BDD_TYPE_ONE;
  bdd_free(internal_man, r);
  return implies;
}

bdd bddpp_manager::Bdd_extract(bdd f, bdd v) {
  const int type = bdd_type(internal_man, v);
  if (type == BDD_TYPE_ONE || type == BDD_TYPE_ZERO) return v;
  bdd on_v = bdd_reduce(internal_man, f, v);
  bdd not_v = bdd_not(internal_man, v);
  bdd off_v = bdd_reduce(internal_man, f, not_v);
  bdd r = bdd_or(internal_man, on_v, off_v);
  bdd_free(internal_man, on_v);
  bdd_free(internal_man, not_v);
  bdd_free(internal_man, off_v);
  return r;
}

bdd bddpp_manager::Bdd_replace_vars(bdd f, const int* map) {
  if (f == 0) return 0;
  // Every variable f reads must map to a variable of the manager.
  for (long j : Support_indexes(f)) {
    if (map[j] < 0 || map[j] >= Nb_bdd_vars()) {
      std::cerr << "in bddpp_manager::Bdd_replace_vars(): bad variable index " << map[j]
                << " for index " << j << " ..." << std::endl;
      return 0;
    }
  }
  return replace_vars(f, map);
}

bdd bddpp_manager::replace_vars(bdd f, const int* map) {
  const long index = bdd_if_index(internal_man, f);
  if (index < 0) return bdd_identity(internal_man, f);
  bdd t = bdd_then(internal_man, f);
  bdd e = bdd_else(internal_man, f);
  bdd new_t = replace_vars(t, map);
  bdd new_e = replace_vars(e, map);
  bdd r = bdd_ite(internal_man, bdd_var_with_index(internal_man, map[index]), new_t, new_e);
  bdd_free(internal_man, t);
  bdd_free(internal_man, e);
  bdd_free(internal_man, new_t);
  bdd_free(internal_man, new_e);
  return r;
}

bdd bddpp_manager::Bdd_simplify(bdd f, bdd care) {
  const int type = bdd_type(internal_man, f);
  if (type == BDD_TYPE_ONE || type == BDD_TYPE_ZERO) return f;
  bdd r = bdd_identity(internal_man, f);
  for (long i = 0; i < Nb_bdd_vars(); ++i) {
    bdd var = bdd_var_with_index(internal_man, i);
    if (!bdd_depends_on(internal_man, r, var)) continue;
    bdd e = Bdd_extract(r, var);
    if (Bdds_excl(e, care)) {
      bdd_free(internal_man, r);
      r = e;
    } else {
      bdd_free(internal_man, e);
    }
  }
  return r;
}

bdd bddpp_manager::Bdd_simplify2(bdd f, bdd care) {
  return Bdd_simplify(f, care);
}

void bddpp_manager::Bdd_gc() {
  bdd_gc(internal_man);
}

long bddpp_manager::Bdd_total_size() const {
  return bdd_total_size(internal_man);
}

void bddpp_manager::Bdd_stats(std::FILE* out) const {
  bdd_stats(internal_man, out);
}
