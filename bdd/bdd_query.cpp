// Queries and cheap transformations of a single handle: negation, copy,
// cofactors of the top variable, top literal, index, id and type.
#include "bdd/bdd_int.h"

namespace {

bdd cofactor(bdd f, bool then_side, const char* warning) {
  if (!bdd_check_arg(f)) return 0;
  if (bdd_is_terminal(f)) {
    bdd_warning(warning);
    bdd_ext_inc_node(bdd_node(f));
    return f;
  }
  bdd r = then_side ? bdd_then_of(f) : bdd_else_of(f);
  bdd_ext_inc_node(bdd_node(r));
  return r;
}

}  // namespace

bdd bdd_not(bdd_manager, bdd f) {
  if (!bdd_check_arg(f)) return 0;
  bdd_ext_inc_node(bdd_node(f));
  return f ^ 1u;
}

bdd bdd_identity(bdd_manager, bdd f) {
  if (!bdd_check_arg(f)) return 0;
  bdd_ext_inc_node(bdd_node(f));
  return f;
}

bdd bdd_then(bdd_manager, bdd f) {
  return cofactor(f, true, "bdd_then: argument is a constant");
}

bdd bdd_else(bdd_manager, bdd f) {
  return cofactor(f, false, "bdd_else: argument is a constant");
}

bdd bdd_if(bdd_manager m, bdd f) {
  if (!bdd_check_arg(f)) return 0;
  const bdd_* n = bdd_node(f);
  if (n->id == 0) {
    bdd_warning("bdd_if: argument is a constant");
    return f;
  }
  return m->var_of_id[n->id];
}

int bdd_if_index(bdd_manager m, bdd f) {
  if (f == 0 || bdd_is_terminal(f)) return -1;
  return static_cast<int>(bdd_index_of(m, f));
}

int bdd_if_id(bdd_manager, bdd f) {
  if (f == 0 || bdd_is_terminal(f)) return -1;
  return bdd_node(f)->id;
}

int bdd_type(bdd_manager m, bdd f) {
  if (f == 0) return BDD_TYPE_OVERFLOW;
  if (bdd_is_terminal(f)) {
    if (f == m->one) return BDD_TYPE_ONE;
    if (f == m->zero) return BDD_TYPE_ZERO;
    return BDD_TYPE_CONSTANT;
  }
  bdd t = bdd_then_of(f);
  bdd e = bdd_else_of(f);
  if (t == m->one && e == m->zero) return BDD_TYPE_POSVAR;
  if (t == m->zero && e == m->one) return BDD_TYPE_NEGVAR;
  return BDD_TYPE_NONTERMINAL;
}
