// Truth tables of functions of at most six variables, read off the nodes
// directly: no references taken, no cache, no mark.
#include "bdd/bdd_int.h"

namespace {

// Truth table of the variable at position p among six: bit a is bit p of a.
constexpr std::uint64_t kPattern[6] = {0xAAAAAAAAAAAAAAAAull, 0xCCCCCCCCCCCCCCCCull,
                                       0xF0F0F0F0F0F0F0F0ull, 0xFF00FF00FF00FF00ull,
                                       0xFFFF0000FFFF0000ull, 0xFFFFFFFF00000000ull};

bool table_walk(bdd_manager m, bdd f, const long* indexes, int count, std::uint64_t* table) {
  if (bdd_is_terminal(f)) {
    if (f != m->one && f != m->zero) return false;
    *table = f == m->one ? ~std::uint64_t{0} : 0;
    return true;
  }
  const long index = static_cast<long>(bdd_index_of(m, f));
  int p = 0;
  while (p < count && indexes[p] != index)
    ++p;
  if (p == count) return false;
  std::uint64_t then_table;
  std::uint64_t else_table;
  if (!table_walk(m, bdd_then_of(f), indexes, count, &then_table) ||
      !table_walk(m, bdd_else_of(f), indexes, count, &else_table))
    return false;
  *table = (kPattern[p] & then_table) | (~kPattern[p] & else_table);
  return true;
}

}  // namespace

int bdd_small_truth_table(bdd_manager m, bdd f, const long* indexes, int count,
                          std::uint64_t* table) {
  if (count < 0 || count > 6 || !bdd_check_arg(f)) return 0;
  return table_walk(m, f, indexes, count, table) ? 1 : 0;
}
