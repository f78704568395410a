// Conversion of a ".names" table into the equation output = function.
#include <vector>

#include "blif/blif_assembly.h"

namespace {

// Replaces `acc` by op(acc, operand), releasing both.
template <class Op>
void combine(bddpp_manager* man, bdd& acc, bdd operand, Op op) {
  bdd result = (man->*op)(acc, operand);
  man->Bdd_free(acc);
  man->Bdd_free(operand);
  acc = result;
}

}  // namespace

tessaro::outcome enter_table(const blif_table& table, const std::string& file,
                             Bddexpressionwood* wood) {
  const std::vector<std::string>& vars = table.names;
  const std::vector<std::vector<int>>& pla = table.rows;
  if (vars.empty()) return tessaro::refusal(file, table.line, "", "a table names no signal");
  bddpp_manager* man = wood->my_bdd_manager();
  // Each column's variable, looked up once for all rows.
  std::vector<bdd> column;
  column.reserve(vars.size());
  for (const std::string& v : vars)
    column.push_back(man->Bdd_var_by_name(v));
  const size_t n = column.size();
  const std::string& output = vars.back();
  bdd out = column[n - 1];
  bdd sum = man->Bdd_zero();
  bool on_rows = false, off_rows = false;
  for (const std::vector<int>& row : pla) {
    bdd p = man->Bdd_one();
    size_t i = 0;
    bool off = false;
    for (int value : row) {
      if (i >= n) {
        man->Bdd_free(p);
        man->Bdd_free(sum);
        tessaro::diagnostic d = tessaro::refusal(
            file, table.line, output, "error in blif definition about " + output + " variable");
        d.fixed_text = true;
        return d;
      }
      if (i == n - 1) {
        off = value == 0;
      } else if (value == 0) {
        combine(man, p, man->Bdd_not(column[i]), &bddpp_manager::Bdd_and);
      } else if (value == 1) {
        combine(man, p, man->Bdd_dup(column[i]), &bddpp_manager::Bdd_and);
      }
      ++i;
    }
    (off ? off_rows : on_rows) = true;
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
  wood->define(output, out, f);
  man->Bdd_free(f);
  return {};
}
