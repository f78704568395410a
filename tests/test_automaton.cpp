// Declarations, automaton records, connectors, the merge's connector list,
// the copy of functions between managers and the renaming for display.
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "automaton/b_autom_dec.h"
#include "automaton/b_automaton.h"
#include "automaton/function_copier.h"
#include "automaton/merge.h"
#include "bdd/bdd_debug.h"

namespace {

std::list<std::string> L(std::initializer_list<const char*> names) {
  return std::list<std::string>(names.begin(), names.end());
}

// Declarations and automata made by a test, released with it.
std::vector<std::unique_ptr<b_autom_dec>> declarations;
std::vector<std::unique_ptr<b_automaton>> automata;

b_automaton* keep(b_automaton* a) {
  automata.emplace_back(a);
  return a;
}

b_automaton* make(std::list<std::string> states, std::list<std::string> inputs,
                  std::list<std::string> outputs, std::list<std::string> locals) {
  b_autom_dec* dec = new b_autom_dec(states, inputs, outputs, locals);
  declarations.emplace_back(dec);
  bddpp_manager* man = dec->manager_associe();
  return keep(new b_automaton(dec, man->Bdd_one(), man->Bdd_one(), man->Bdd_zero()));
}

class Release : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    automata.clear();
    declarations.clear();
  }
};
const bool kReleaseRegistered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new Release);
  return true;
}();

}  // namespace

TEST(Connector, DefaultAndValuePrinting) {
  std::ostringstream out;
  out << b_automaton_connector() << b_automaton_connector(1, 0, 0, 12);
  EXPECT_EQ(out.str(), "-1:-1 --> -1:-1\n1:0 --> 0:12\n");
}

TEST(Declaration, EmptyListsGiveNoVariableAndEmptyTables) {
  std::list<std::string> none;
  b_autom_dec dec(none, none, none, none);
  EXPECT_EQ(dec.manager_associe()->Nb_bdd_vars(), 0);
  b_automaton a(&dec, 0, 0, 0);
  EXPECT_EQ(a.nb_equ_trans(), 0);
  EXPECT_EQ(a.nb_equ_def(), 0);
}

TEST(Declaration, VariablesFollowTheListsAndRepeatsKeepTheirFirstPlace) {
  auto states = L({"q"}), inputs = L({"a", "b"}), outputs = L({"q", "y"}), locals = L({"d"});
  b_autom_dec dec(states, inputs, outputs, locals);
  bddpp_manager* man = dec.manager_associe();
  ASSERT_EQ(man->Nb_bdd_vars(), 5);
  const char* order[] = {"q", "a", "b", "y", "d"};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(man->Name_var_by_index(i), order[i]);
  EXPECT_EQ(dec.nb_outputs(), 2);
  EXPECT_EQ(dec.bdd_ident_associe("nothing"), 0u);
  EXPECT_EQ(dec.nom_ident_associe(dec.bdd_ident_associe("y")), "y");

  dec.add_ident("a");
  dec.add_ident("d");
  EXPECT_EQ(dec.nb_locals(), 1);
  EXPECT_EQ(man->Nb_bdd_vars(), 5);
  dec.add_ident("e");
  EXPECT_EQ(dec.nb_locals(), 2);
  EXPECT_EQ(man->Index_var_by_name("e"), 5);
  EXPECT_EQ(dec.def_wood_associee()->Nb_bdd_vars(), 6);
}

TEST(Automaton, NameAccessorsOutOfRange) {
  b_automaton* a = make(L({"s"}), L({"i"}), L({"o"}), L({"l"}));
  EXPECT_EQ(a->nom_input(0), "i");
  EXPECT_EQ(a->nom_local(0), "l");
  testing::internal::CaptureStderr();
  EXPECT_EQ(a->nom_state_var(1), "?");
  EXPECT_EQ(a->nom_input(1), "?");
  EXPECT_EQ(a->nom_output(-1), "?");
  EXPECT_EQ(a->nom_local(7), "?");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "dans b_automaton::nom_state_var() : indice hors limite !\n"
            "dans b_automaton::nom_input() : indice hors limite !\n"
            "dans b_automaton::nom_output() : indice hors limite !\n"
            "dans b_automaton::nom_local() : indice hors limite !\n");
  EXPECT_EQ(a->outputs_list(), L({"o"}));
}

TEST(Merge, ConnectorsInDiscoveryOrderAndNothingPrintedButTheTrace) {
  // a: inputs x and w, output y. b: input y, outputs x and x2.
  b_automaton* a = make(L({}), L({"x", "w"}), L({"y"}), L({}));
  b_automaton* b = make(L({}), L({"y"}), L({"x", "x2"}), L({}));
  std::ostringstream listed;
  print_connections(listed, merge_connectors(*a, *b));
  EXPECT_EQ(listed.str(), "Connections list:\n(1:0 --> 0:0\n, 0:0 --> 1:0\n)\n");
  std::ostringstream trace;
  std::unique_ptr<b_automaton> m;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(merge(*a, "a.blif", *b, "b.blif", &trace, m).ok());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->inputs_list(), L({"w"}));
  EXPECT_EQ(m->outputs_list(), L({"x2"}));
  EXPECT_EQ(m->locals_list(), L({"inst0_x", "inst1_y", "inst0_y", "inst1_x"}));
  EXPECT_NE(trace.str().find("connexion inst0_x= inst1_x\n"), std::string::npos);
  EXPECT_NE(trace.str().find("connexion inst1_y= inst0_y\n"), std::string::npos);
  // Without a stream there is no trace, and the same automaton.
  std::unique_ptr<b_automaton> quiet;
  ASSERT_TRUE(merge(*a, "a.blif", *b, "b.blif", nullptr, quiet).ok());
  EXPECT_EQ(quiet->locals_list(), m->locals_list());
  EXPECT_EQ(quiet->nb_equ_def(), m->nb_equ_def());
}

TEST(Merge, EmptyConnectionList) {
  std::ostringstream listed;
  print_connections(listed, {});
  EXPECT_EQ(listed.str(), "Connections list:\n()\n");
}

// A function with exponentially many paths but a linear number of nodes:
// the copy must visit each node once.
TEST(Copy, LinearInTheNodesOfTheSourceAndExactUnderAMap) {
  const int n = 40;
  std::list<std::string> inputs;
  for (int i = 0; i < n; ++i)
    inputs.push_back("x" + std::to_string(i));
  b_automaton* a = make(L({}), inputs, L({}), L({}));
  bddpp_manager* src = a->manager_associe();
  // Parity of all inputs: 2^40 paths, 2n nodes.
  bdd parity = src->Bdd_zero();
  for (int i = 0; i < n; ++i) {
    bdd next = src->Bdd_xor(parity, src->Bdd_var_by_index(i));
    src->Bdd_free(parity);
    parity = next;
  }
  bddpp_manager target;
  std::vector<int> map(n);
  for (int i = 0; i < n; ++i) {
    target.New_var_last("y" + std::to_string(i));
    map[i] = n - 1 - i;  // reverses the order
  }
  bdd copy = a->bdd_isomorphe(&target, parity, map.data());
  bdd expected = target.Bdd_zero();
  for (int i = 0; i < n; ++i) {
    bdd next = target.Bdd_xor(expected, target.Bdd_var_by_index(i));
    target.Bdd_free(expected);
    expected = next;
  }
  EXPECT_EQ(copy, expected);
  EXPECT_EQ(a->bdd_isomorphe(&target, 0, map.data()), 0u);
  EXPECT_EQ(a->bdd_isomorphe(&target, src->Bdd_one(), map.data()), target.Bdd_one());
  EXPECT_EQ(a->bdd_isomorphe(&target, src->Bdd_zero(), map.data()), target.Bdd_zero());
  // A map that swaps two variables of a non-symmetric function.
  bdd f = src->Bdd_and(src->Bdd_var_by_index(0), src->Bdd_not(src->Bdd_var_by_index(1)));
  bdd g = a->bdd_isomorphe(&target, f, map.data());
  bdd h = target.Bdd_and(target.Bdd_var_by_index(n - 1),
                         target.Bdd_not(target.Bdd_var_by_index(n - 2)));
  EXPECT_EQ(g, h);
  target.Bdd_free(copy);
  target.Bdd_free(expected);
  target.Bdd_free(g);
  target.Bdd_free(h);
  src->Bdd_free(parity);
  src->Bdd_free(f);
}

// One copier serves many copies: each is exact, and its memo starts empty.
TEST(Copy, AReusedCopierCopiesEachFunctionAfresh) {
  b_automaton* a = make(L({}), L({"p", "q", "r"}), L({}), L({}));
  bddpp_manager* src = a->manager_associe();
  bddpp_manager target;
  for (const char* name : {"r2", "q2", "p2"})
    target.New_var_last(name);
  const int map[] = {2, 1, 0};
  function_copier copier(src, &target, map);
  bdd f = src->Bdd_and(src->Bdd_var_by_index(0), src->Bdd_not(src->Bdd_var_by_index(2)));
  bdd g = src->Bdd_xor(src->Bdd_var_by_index(1), src->Bdd_var_by_index(2));
  for (int round = 0; round < 3; ++round) {
    bdd cf = copier.copy(f);
    bdd cg = copier.copy(g);
    bdd ef = target.Bdd_and(target.Bdd_var_by_index(2), target.Bdd_not(target.Bdd_var_by_index(0)));
    bdd eg = target.Bdd_xor(target.Bdd_var_by_index(1), target.Bdd_var_by_index(0));
    EXPECT_EQ(cf, ef);
    EXPECT_EQ(cg, eg);
    for (bdd h : {cf, cg, ef, eg})
      target.Bdd_free(h);
  }
  EXPECT_EQ(copier.copy(0), 0u);
  src->Bdd_free(f);
  src->Bdd_free(g);
  EXPECT_EQ(bdd_debug_check(target.engine()), 0);
}

// Display names reach the writer, even when two names trade places.
TEST(Rename, DisplayNamesReachTheWriter) {
  b_automaton* a = make(L({}), L({"x", "y"}), L({"z"}), L({}));
  bddpp_manager* man = a->manager_associe();
  bdd f = man->Bdd_and(man->Bdd_var_by_name("x"), man->Bdd_not(man->Bdd_var_by_name("y")));
  a->def_wood_associee()->define(man->Bdd_var_by_name("z"), f);
  man->Bdd_free(f);
  auto swap = [](const std::string& n) -> std::string {
    return n == "x" ? "y" : n == "y" ? "x" : "out[" + n + "]";
  };
  // Two signals on one display name: refused, nothing renamed.
  const tessaro::outcome clash =
      a->rename_signals([](const std::string& n) { return n == "z" ? n : std::string("k"); });
  ASSERT_FALSE(clash.ok());
  EXPECT_EQ(tessaro::diagnostic_line(clash.error()), "signals x and y would both be written as k");
  ASSERT_TRUE(a->rename_signals(swap).ok());
  std::ostringstream out;
  a->BLIF_put(out, 2, "m");
  EXPECT_EQ(out.str(),
            ".model m\n.inputs y x\n.outputs out[z]\n\n.names  y x out[z]\n10 1\n\n.end\n\n");
  EXPECT_EQ(man->Index_var_by_name("out[z]"), 2);
}
