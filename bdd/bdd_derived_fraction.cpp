// Fraction of all assignments that satisfy a function, memoised per handle.
#include <cstdint>
#include <cstring>

#include "bdd/bdd_int.h"

namespace {

double fraction_step(bdd_manager m, bdd f) {
  if (bdd_is_terminal(f)) return f == m->zero ? 0.0 : 1.0;
  std::uint32_t w[2];
  double r;
  if (bdd_lookup_in_cache22(m, kCacheTagOneData, kOpFraction, f, &w[0], &w[1])) {
    std::memcpy(&r, w, sizeof r);
    return r;
  }
  r = 0.5 * fraction_step(m, bdd_then_of(f)) + 0.5 * fraction_step(m, bdd_else_of(f));
  std::memcpy(w, &r, sizeof r);
  bdd_insert_in_cache22(m, kCacheTagOneData, kOpFraction, f, w[0], w[1]);
  return r;
}

}  // namespace

double bdd_satisfying_fraction(bdd_manager m, bdd f) {
  if (!bdd_check_arg(f)) return 0.0;
  return fraction_step(m, f);
}
