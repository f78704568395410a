// Conversion of a ".names" table into the equation output = function.
#include <algorithm>
#include <utility>
#include <vector>

#include "blif/blif_assembly.h"
#include "support/reference_paths.h"

namespace {

// Replaces `acc` by op(acc, operand), releasing both.
template <class Op>
void combine(bddpp_manager* man, bdd& acc, bdd operand, Op op) {
  bdd result = (man->*op)(acc, operand);
  man->Bdd_free(acc);
  man->Bdd_free(operand);
  acc = result;
}

// The product of a row's (index, literal) pairs, whose references it takes,
// joined from the bottom of the variable order up: each conjunction then
// puts one node above the product so far, and a row of n literals costs n
// steps, not n^2 / 2. The lowest literal starts the product, so a row of
// one literal costs no operation (the function is the same).
bdd row_product(bddpp_manager* man, std::vector<std::pair<long, bdd>>& literals) {
  if (literals.empty()) return man->Bdd_one();
  std::sort(literals.begin(), literals.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  bdd p = literals.front().second;
  for (std::size_t k = 1; k < literals.size(); ++k)
    combine(man, p, literals[k].second, &bddpp_manager::Bdd_and);
  return p;
}

// The support of the product of `literals`, sorted by row_product from the
// highest index down, into `support` (ascending): their indexes when they
// are all different. False when a variable occurs twice (the product may
// then lose it, or be zero), the support being left to a walk.
bool product_support(const std::vector<std::pair<long, bdd>>& literals,
                     std::vector<long>& support) {
  support.clear();
  for (auto it = literals.rbegin(); it != literals.rend(); ++it) {
    if (!support.empty() && support.back() == it->first) return false;
    support.push_back(it->first);
  }
  return true;
}

}  // namespace

tessaro::outcome enter_table(const blif_table& table, const std::string& file,
                             Bddexpressionwood* wood, const int* ids, table_room& room) {
  const std::vector<std::string>& vars = table.names;
  const table_rows& pla = table.rows;
  if (vars.empty()) return tessaro::refusal(file, table.line, "", "a table names no signal");
  bddpp_manager* man = wood->my_bdd_manager();
  // Each column's variable, taken once for all rows.
  std::vector<bdd>& column = room.column;
  column.clear();
  for (std::size_t i = 0; i < vars.size(); ++i)
    column.push_back(man->Bdd_var_by_id(ids[i]));
  const size_t n = column.size();
  const std::string& output = vars.back();
  bdd out = column[n - 1];
  bdd sum = man->Bdd_zero();
  bool on_rows = false, off_rows = false;
  std::vector<std::pair<long, bdd>>& literals = room.literals;
  const bool straight = tessaro::reference_paths();
  for (std::size_t r = 0; r < pla.size(); ++r) {
    const table_rows::row row = pla[r];
    if (row.size() > n) {
      man->Bdd_free(sum);
      tessaro::diagnostic d = tessaro::refusal(
          file, table.line, output, "error in blif definition about " + output + " variable");
      d.fixed_text = true;
      return d;
    }
    literals.clear();
    bdd p = man->Bdd_one();  // the product so far on the straightforward path
    bool off = false;
    for (size_t i = 0; i < row.size(); ++i) {
      const int value = row[i];
      if (i == n - 1) {
        off = value == 0;
      } else if (value == 0 || value == 1) {
        bdd literal = value == 0 ? man->Bdd_not(column[i]) : man->Bdd_dup(column[i]);
        if (straight)
          combine(man, p, literal, &bddpp_manager::Bdd_and);
        else
          literals.emplace_back(man->Bdd_if_index(column[i]), literal);
      }
    }
    if (!straight) p = row_product(man, literals);
    (off ? off_rows : on_rows) = true;
    // The empty sum or a product is that product: the first row costs no
    // operation.
    if (!straight && sum == man->Bdd_zero())
      sum = p;
    else
      combine(man, sum, p, &bddpp_manager::Bdd_or);
  }
  if (on_rows && off_rows) {
    man->Bdd_free(sum);
    return tessaro::refusal(file, table.line, output,
                            "signal " + output +
                                " is defined by a table that mixes rows of output 1 and rows of "
                                "output 0");
  }
  bdd f = sum;
  if (off_rows) {
    f = man->Bdd_not(sum);
    man->Bdd_free(sum);
  }
  if (!straight && pla.size() == 1 && product_support(literals, room.support))
    wood->define(output, out, f, room.support);
  else
    wood->define(output, out, f);
  man->Bdd_free(f);
  return {};
}
