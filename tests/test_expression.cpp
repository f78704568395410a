// The expression store: equations, the wood's tables, its upstream links,
// its rejections and its text forms.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "bdd/bdd_debug.h"
#include "expr/bdd_expression.h"

namespace {

std::string text(const tessaro::set<long>& s) {
  std::ostringstream out;
  out << s;
  return out.str();
}

}  // namespace

TEST(Wood, CapacityFollowsTheVariableCount) {
  const long expected[] = {1, 1, 2, 4, 4, 8};
  for (int n = 0; n <= 5; ++n) {
    bddpp_manager man;
    for (int i = 0; i < n; ++i)
      man.New_var_last("v" + std::to_string(i));
    Bddexpressionwood wood(&man);
    std::ostringstream out;
    wood.stat(out);
    EXPECT_NE(out.str().find("  - arrays's length  : " + std::to_string(expected[n]) + "\n"),
              std::string::npos)
        << n << "\n"
        << out.str();
    EXPECT_EQ(wood.Nb_bdd_vars(), n);
  }
}

TEST(Wood, ThreeLineExampleAndStatistics) {
  bddpp_manager man;
  Bddexpressionwood wood(&man);
  bdd a = wood.New_var_last("a");
  bdd b = wood.New_var_last("b");
  bdd y = wood.New_var_last("y");
  bdd f = man.Bdd_and(a, man.Bdd_not(b));
  Bddexpression("y", &wood, y, f, 0, 0);
  man.Bdd_free(f);
  std::ostringstream out;
  out << wood;
  EXPECT_EQ(out.str(),
            "wood Bddexpression statistics:\n"
            "  - bbd variables number of the bdd manager: 3\n"
            "  - variables number used : 3\n"
            "  - arrays's length  : 4\n"
            "  - expression ids set {2}\n"
            "  - nb levels 0\n"
            "\n"
            "Equations list:\n"
            "0: a = -  to vars {2}\n"
            "1: b = -  to vars {2}\n"
            "2: <y> y = a * !b usertype: 0 dates (0,0) from vars {0, 1}  to vars {}\n");
  EXPECT_EQ(wood.exp_number(), 1);
  std::ostringstream eq;
  eq << *wood.exp(0);
  EXPECT_EQ(eq.str(), "<y> y = a * !b usertype: 0");
  // Variables created on the manager directly show up at the next use.
  man.New_var_last("late");
  std::ostringstream stat;
  wood.stat(stat);
  EXPECT_NE(stat.str().find("INTERNAL ERROR: bdd variables number doesn't corresponding !!!\n"),
            std::string::npos);
  wood.update_bdd_vars();
  EXPECT_EQ(wood.Nb_bdd_vars(), 4);
  EXPECT_EQ(wood.exp_at(3), nullptr);
  EXPECT_EQ(text(wood.amont_dependances(3)), "{}");
}

TEST(Wood, OrderRejectionsAndEmptyEquations) {
  bddpp_manager man;
  Bddexpressionwood wood(&man);
  bdd p = wood.New_var_last("p"), q = wood.New_var_last("q"), r = wood.New_var_last("r");
  Bddexpression("r", &wood, r, p, 0, 0);
  Bddexpression("p", &wood, p, q, 0, 0);
  // exp(n) counts in index order, not in order of learning.
  EXPECT_EQ(wood.exp(0)->my_name(), "p");
  EXPECT_EQ(wood.exp(1)->my_name(), "r");
  testing::internal::CaptureStderr();
  EXPECT_EQ(wood.exp(2), nullptr);
  Bddexpression("again", &wood, r, q, 0, 0);
  Bddexpression("constant", &wood, man.Bdd_one(), q, 0, 0);
  wood.learn_expression(nullptr);
  Bddexpression detached;
  detached.setBddExp(p);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in Bddexpressionwood::exp(): bad number ...\n"
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\n"
            "expression id: 2 (<r> r = p usertype: 0) already known\n\n"
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\n"
            "no left member in expression\n\n"
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\n"
            "no expression !!!\n\n"
            "In Bddexpression::setBddExp(): \n"
            "   no wood defined! Aborted  ...\n");
  EXPECT_EQ(wood.exp_number(), 2);
  EXPECT_EQ(wood.exp(1)->my_name(), "r");
  std::ostringstream out;
  out << detached;
  EXPECT_EQ(out.str(), "-- usertype: 0");
  EXPECT_EQ(bdd_debug_check(man.engine()), 0);
}

TEST(Wood, ReplacedRightMemberAddsLinksOnlyToDefinedVariables) {
  bddpp_manager man;
  Bddexpressionwood wood(&man);
  bdd a = wood.New_var_last("a"), d = wood.New_var_last("d"), y = wood.New_var_last("y");
  bdd n = wood.New_var_last("n");
  Bddexpression("d", &wood, d, a, 0, 0);
  Bddexpression("y", &wood, y, d, 0, 0);
  EXPECT_EQ(text(wood.amont_dependances(1)), "{2}");
  bdd f = man.Bdd_and(n, d);
  wood.exp_at(2)->setBddExp(f);
  // n has no definition: no link; the set of y's inputs is recomputed.
  EXPECT_EQ(text(wood.amont_dependances(3)), "{}");
  EXPECT_EQ(text(wood.exp_at(2)->dependances()), "{1, 3}");
  // Learnt with the same right member, the equation links every input.
  Bddexpressionwood other(&man);
  Bddexpression("y", &other, y, f, 0, 0);
  EXPECT_EQ(text(other.amont_dependances(3)), "{2}");
  man.Bdd_free(f);
}

TEST(Wood, EquationsOwnTheirReferences) {
  bddpp_manager man;
  long baseline;
  {
    Bddexpressionwood wood(&man);
    bdd a = wood.New_var_last("a"), b = wood.New_var_last("b"), y = wood.New_var_last("y");
    man.Bdd_gc();
    baseline = man.Bdd_total_size();
    bdd f = man.Bdd_xor(a, b);
    Bddexpression e("y", &wood, y, f, 3, 5);
    man.Bdd_free(f);
    Bddexpression copy = e;
    Bddexpression assigned;
    assigned = copy;
    EXPECT_EQ(assigned.my_bdd_exp(), e.my_bdd_exp());
    EXPECT_EQ(wood.Nb_level(), 5);
    man.Bdd_gc();
    EXPECT_GT(man.Bdd_total_size(), baseline);
    EXPECT_EQ(bdd_debug_check(man.engine()), 0);
  }
  man.Bdd_gc();
  EXPECT_EQ(man.Bdd_total_size(), baseline);
}
