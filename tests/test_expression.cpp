// The expression store: equations, the wood's tables, its upstream links,
// its rejections and its text forms.
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bdd/bdd_int.h"
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

// define() stores what building an equation on the wood stores: the same
// table text, the same links, the same rejections with the same messages.
TEST(Wood, DefineEntersWhatAnEquationBuiltOnTheWoodEnters) {
  bddpp_manager man;
  Bddexpressionwood built(&man), defined(&man);
  const char* names[] = {"a", "b", "d", "y", "n"};
  for (const char* name : names) {
    built.New_var_last(name);
    defined.New_var_last(name);
  }
  auto v = [&](const char* name) { return man.Bdd_var_by_name(name); };
  bdd f = man.Bdd_and(v("a"), man.Bdd_not(v("b")));
  bdd g = man.Bdd_or(v("d"), v("n"));
  // A variable made on the manager directly is covered by the next entry.
  man.New_var_last("late");
  testing::internal::CaptureStderr();
  Bddexpression(&built, v("d"), f, 0, 0);
  Bddexpression("why", &built, v("y"), g, 0, 0);
  Bddexpression(&built, v("y"), f, 0, 0);
  Bddexpression(&built, man.Bdd_one(), f, 0, 0);
  const std::string built_messages = testing::internal::GetCapturedStderr();
  testing::internal::CaptureStderr();
  EXPECT_NE(defined.define(v("d"), f), nullptr);
  EXPECT_EQ(defined.define("why", v("y"), g)->my_name(), "why");
  EXPECT_EQ(defined.define(v("y"), f), nullptr);
  EXPECT_EQ(defined.define(man.Bdd_one(), f), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), built_messages);
  EXPECT_NE(built_messages.find(") already known"), std::string::npos);
  std::ostringstream built_text, defined_text;
  built_text << built;
  defined_text << defined;
  EXPECT_EQ(defined_text.str(), built_text.str());
  EXPECT_EQ(defined.Nb_bdd_vars(), 6);
  EXPECT_EQ(text(defined.amont_dependances(2)), "{3}");
  man.Bdd_free(f);
  man.Bdd_free(g);
  EXPECT_EQ(bdd_debug_check(man.engine()), 0);
}

// A support handed in by the caller stands for the walk: the same tables,
// links and text, a new variable of the manager still taken in, and the set
// is trusted as current (no report of a stale set when it is checked).
TEST(Wood, DefineWithAKnownSupportEntersWhatAWalkEnters) {
  bddpp_manager man;
  Bddexpressionwood walked(&man), told(&man);
  for (const char* name : {"a", "b", "d", "y", "z"}) {
    walked.New_var_last(name);
    told.New_var_last(name);
  }
  auto v = [&](const char* name) { return man.Bdd_var_by_name(name); };
  bdd f = man.Bdd_and(v("a"), man.Bdd_not(v("d")));
  man.New_var_last("late");
  walked.define("y", v("y"), f);
  walked.define("z", v("z"), man.Bdd_one());
  testing::internal::CaptureStderr();
  told.define("y", v("y"), f, std::vector<long>{0, 2});
  told.define("z", v("z"), man.Bdd_one(), std::vector<long>{});
  told.exp_at(3)->set_of_aval_dependances();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  std::ostringstream walked_text, told_text;
  walked_text << walked;
  told_text << told;
  EXPECT_EQ(told_text.str(), walked_text.str());
  EXPECT_EQ(told.Nb_bdd_vars(), 6);
  EXPECT_EQ(text(told.amont_dependances(2)), "{3}");
  EXPECT_EQ(text(told.exp_at(3)->dependances()), "{0, 2}");
  man.Bdd_free(f);
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

namespace {

// A wood over a, b, y with f = a and not b, for the tests below.
class WoodTest : public ::testing::Test {
 protected:
  bddpp_manager man;
  std::unique_ptr<Bddexpressionwood> wood;
  bdd a = 0, b = 0, y = 0, f = 0;

  void SetUp() override {
    wood = std::make_unique<Bddexpressionwood>(&man);
    a = wood->New_var_last("a");
    b = wood->New_var_last("b");
    y = wood->New_var_last("y");
    bdd nb = man.Bdd_not(b);
    f = man.Bdd_and(a, nb);
    man.Bdd_free(nb);
  }
  void TearDown() override {
    wood.reset();
    man.Bdd_free(f);
    EXPECT_EQ(bdd_debug_check(man.engine()), 0);
  }
  template <class T>
  static std::string str(const T& value) {
    std::ostringstream out;
    out << value;
    return out.str();
  }
};

}  // namespace

// Every holder of an equation owns one reference to each member: the
// caller's object, the wood's copy and every further copy; the wood's
// copies go with the wood.
TEST_F(WoodTest, ReferencesFollowTheHoldersOfAnEquation) {
  ASSERT_EQ(bdd_debug_refs(f), 1);
  {
    Bddexpression e("y", wood.get(), y, f, 0, 0);
    EXPECT_EQ(bdd_debug_refs(f), 3);
  }
  EXPECT_EQ(bdd_debug_refs(f), 2);
  bdd g = man.Bdd_or(a, b);
  {
    std::list<Bddexpression> copies;
    copies.push_back(*wood->exp(0));
    copies.push_back(copies.front());
    EXPECT_EQ(bdd_debug_refs(f), 4);
    copies.front().setBddExp(g);
    EXPECT_EQ(bdd_debug_refs(f), 3);
    EXPECT_EQ(bdd_debug_refs(g), 2);
    copies.back() = copies.front();
    copies.front() = copies.front();
    EXPECT_EQ(bdd_debug_refs(f), 2);
    EXPECT_EQ(bdd_debug_refs(g), 3);
    // The wood's copy is not reached by changes to the others.
    EXPECT_EQ(wood->exp(0)->my_bdd_exp(), f);
  }
  EXPECT_EQ(bdd_debug_refs(g), 1);
  wood->exp(0)->setBddExp(g);
  EXPECT_EQ(bdd_debug_refs(f), 1);
  EXPECT_EQ(bdd_debug_refs(g), 2);
  wood.reset();
  EXPECT_EQ(bdd_debug_refs(g), 1);
  man.Bdd_free(g);
}

TEST_F(WoodTest, EquationTextsAndCovers) {
  Bddexpression("eq", wood.get(), y, f, 0, 0, 7);
  Bddexpression(wood.get(), a, man.Bdd_zero(), 0, 0);
  const Bddexpression* eq = wood->exp_at(2);
  EXPECT_EQ(str(*eq), "<eq> y = a * !b usertype: 7");
  EXPECT_EQ(eq->getUserType(), 7);
  // Named after its left member when no name is given.
  EXPECT_EQ(str(*wood->exp_at(0)), "<a> a = 0 usertype: 0");
  EXPECT_EQ(str(Bddexpression(wood.get())), "- usertype: 0");

  std::ostringstream covers;
  eq->put_blif(covers, 2);
  wood->exp_at(0)->put_blif(covers, 2);
  Bddexpression(wood.get()).put_blif(covers, 2);
  Bddexpression().put_blif(covers, 2);
  EXPECT_EQ(covers.str(), ".names  a b y\n10 1\n.names  a\n0\n");
}

// The wood's text and the BLIF cover of an equation share the cover found
// for its right member; a new right member over the same variables has its
// own.
TEST_F(WoodTest, CoversWrittenAgainFollowANewRightMember) {
  Bddexpression("y", wood.get(), y, f, 0, 0);
  Bddexpression* e = wood->exp_at(2);
  ASSERT_NE(e, nullptr);
  bdd g = man.Bdd_or(a, b);
  for (bdd exp : {f, g, f}) {
    e->setBddExp(exp);
    for (int pass = 0; pass < 2; ++pass) {
      EXPECT_NE(str(*wood).find("2: " + str(*e) + " dates"), std::string::npos) << str(*wood);
      std::ostringstream blif, walked;
      e->put_blif(blif, 2);
      man.BLIF_print(walked, y, exp, 2);
      EXPECT_EQ(blif.str(), walked.str());
    }
  }
  man.Bdd_free(g);
}

TEST_F(WoodTest, TablesGrowWithTheVariablesOfTheManager) {
  wood->New_var_last("c");
  wood->New_var_last("d");
  EXPECT_EQ(wood->Nb_bdd_vars(), 5);
  for (const char* name : {"e", "f", "g", "h"})
    man.New_var_last(name);
  // Created on the manager: the wood learns of them with the next equation.
  EXPECT_EQ(wood->Nb_bdd_vars(), 5);
  bdd h = man.Bdd_var_by_name("h");
  Bddexpression("h", wood.get(), h, a, 0, 0);
  EXPECT_EQ(wood->Nb_bdd_vars(), 9);
  EXPECT_EQ(wood->Index_new_var_last("i"), 9);
  std::ostringstream stat;
  wood->stat(stat);
  EXPECT_EQ(stat.str(),
            "wood Bddexpression statistics:\n"
            "  - bbd variables number of the bdd manager: 10\n"
            "  - variables number used : 10\n"
            "  - arrays's length  : 16\n"
            "  - expression ids set {8}\n"
            "  - nb levels 0\n"
            "\n");
  for (long i = 0; i < 10; ++i) {
    EXPECT_EQ(wood->exp_at(i) != nullptr, i == 8) << i;
    EXPECT_EQ(str(wood->amont_dependances(i)), i == 0 ? "{8}" : "{}") << i;
  }
}

TEST_F(WoodTest, DatesRaiseTheLevel) {
  Bddexpression("y", wood.get(), y, f, 2, 6);
  EXPECT_EQ(wood->Nb_level(), 6);
  Bddexpression* e = wood->exp(0);
  EXPECT_EQ(e->getEarlyDate(), 2);
  EXPECT_EQ(e->getLateDate(), 6);
  e->setLateDate(11);
  EXPECT_EQ(wood->Nb_level(), 6);
  e->setEarlyDate(9);
  EXPECT_EQ(wood->Nb_level(), 9);
  e->setEarlyDate(1);
  EXPECT_EQ(wood->Nb_level(), 9);
  EXPECT_NE(
      str(*wood).find("2: <y> y = a * !b usertype: 0 dates (1,11) from vars {0, 1}  to vars {}\n"),
      std::string::npos);
}

// A variable put in front of the others moves every index: the stored set
// no longer matches the right member and the recomputation says so once.
TEST_F(WoodTest, AStaleDependenceSetIsReportedAndReplaced) {
  Bddexpression("y", wood.get(), y, f, 0, 0);
  Bddexpression* e = wood->exp(0);
  man.New_var_before(a, "top");
  testing::internal::CaptureStderr();
  EXPECT_EQ(str(e->set_of_aval_dependances()), "{1, 2}");
  EXPECT_EQ(str(e->set_of_aval_dependances()), "{1, 2}");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in  Bddexpression::set_of_aval_dependances() internal error:\n"
            "found dependance {0, 1} computed: {1, 2}\n");
}

// A stored set is reused only while its node and every index are unchanged:
// after an exchange of variables the check walks again and reports the move.
void exchange_second_and_third(bdd_manager m) {
  bdd_exchange_vars(m, 1);
}

TEST_F(WoodTest, AReorderedSupportIsWalkedAgain) {
  Bddexpression("y", wood.get(), y, f, 0, 0);
  Bddexpression* e = wood->exp(0);
  ASSERT_NE(e, nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(str(e->set_of_aval_dependances()), "{0, 1}");
  bdd_dynamic_reordering(man.engine(), exchange_second_and_third);
  bdd_reorder(man.engine());
  bdd_dynamic_reordering(man.engine(), nullptr);
  EXPECT_EQ(man.Bdd_if_index(b), 2);
  EXPECT_EQ(str(e->set_of_aval_dependances()), "{0, 2}");
  EXPECT_EQ(str(e->set_of_aval_dependances()), "{0, 2}");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in  Bddexpression::set_of_aval_dependances() internal error:\n"
            "found dependance {0, 1} computed: {0, 2}\n");
  // The cover written from the stored set names the columns in the new order.
  std::ostringstream blif;
  e->put_blif(blif, 0);
  std::ostringstream walked;
  man.BLIF_print(walked, y, f, 0);
  EXPECT_EQ(blif.str(), walked.str());
}

TEST_F(WoodTest, BadNumbersAndAWoodWithoutManager) {
  Bddexpression("y", wood.get(), y, f, 0, 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(wood->exp(-1), nullptr);
  EXPECT_EQ(wood->exp(1), nullptr);
  Bddexpressionwood bare(nullptr);
  Bddexpression e("x", &bare, y, f, 0, 0);
  Bddexpression named(&bare, y, f, 0, 0);
  e.setBddExp(f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in Bddexpressionwood::exp(): bad number ...\n"
            "in Bddexpressionwood::exp(): bad number ...\n"
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\n"
            "no left member in expression\n\n"
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\n"
            "no left member in expression\n\n"
            "In Bddexpression::setBddExp(): \n"
            "   no wood defined! Aborted  ...\n");
  EXPECT_EQ(bare.exp_number(), 0);
  EXPECT_EQ(str(e), "-- usertype: 0");
  EXPECT_EQ(named.my_name(), "");
  EXPECT_EQ(bdd_debug_refs(f), 2);
}
