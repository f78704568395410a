// Conversion of a ".names" table into the equation output = function.
#include <cstdlib>
#include <iostream>
#include <vector>

#include "blif/blif_parser.h"

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

Bddexpression class_equation_blif::bddexpression_convert(Bddexpressionwood* wood) {
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
        std::cerr << "error in blif definition about " << output << " variable" << std::endl;
        std::exit(1);
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
    std::cerr << "error in blif definition about " << output
              << " variable: its table mixes rows of output 1 and rows of output 0" << std::endl;
    std::exit(1);
  }
  bdd f = sum;
  if (off_rows) {
    f = man->Bdd_not(sum);
    man->Bdd_free(sum);
  }
  Bddexpression e(output, wood, out, f, 0, 0);
  man->Bdd_free(f);
  return e;
}
