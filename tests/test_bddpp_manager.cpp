// Tests of the manager layer's named variables and Boolean operations:
// creation and insertion, lookups in every direction, renaming and its
// warnings, the fatal message for an unnamed handle, and the compound
// operations built on the engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bddpp/bddpp_manager.h"

namespace {

class BddppManager : public ::testing::Test {
 protected:
  bddpp_manager man;

  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  void TearDown() override { EXPECT_EQ(bdd_debug_check(man.engine()), 0); }

  std::vector<std::string> names_by_index() const {
    std::vector<std::string> names;
    for (long i = 0; i < man.Nb_bdd_vars(); ++i)
      names.push_back(man.Name_var_by_index(i));
    return names;
  }

  // Nodes left after a collection: equal before and after a piece of work
  // exactly when that work gave back every reference it took.
  long live_nodes() {
    man.Bdd_gc();
    return man.Bdd_total_size();
  }
};

using Names = std::vector<std::string>;

TEST_F(BddppManager, CreatingAnExistingNameReturnsTheSameVariable) {
  bdd p = man.New_var_last("p");
  EXPECT_EQ(man.New_var_last("p"), p);
  EXPECT_EQ(man.Nb_bdd_vars(), 1);
  bdd q = man.New_var_last("q");
  EXPECT_EQ(man.New_var_before(q, "p"), p);
  EXPECT_EQ(man.New_var_after(p, "q"), q);
  EXPECT_EQ(names_by_index(), (Names{"p", "q"}));
}

// Random creations at the end, before and after variables, with names met
// again (which give back their variable and create nothing), against a
// model of the order and of the ids: every lookup in both directions agrees.
TEST_F(BddppManager, RandomCreationsAgreeWithAModelOfTheOrder) {
  std::mt19937 rng(23);
  Names order;                      // names by index
  std::map<std::string, long> ids;  // manager ids by name
  for (int step = 0; step < 3000; ++step) {
    const std::string name = (step % 2 ? "s" : "a_longer_name_") + std::to_string(rng() % 1500);
    const int where = order.empty() ? 0 : static_cast<int>(rng() % 3);
    const long at = order.empty() ? 0 : static_cast<long>(rng() % order.size());
    const bdd near = man.Bdd_var_by_index(at);
    const bdd made = where == 0   ? man.New_var_last(name)
                     : where == 1 ? man.New_var_before(near, name)
                                  : man.New_var_after(near, name);
    if (ids.count(name) == 0) {
      const long index = where == 0 ? static_cast<long>(order.size()) : at + (where == 2);
      order.insert(order.begin() + index, name);
      ids[name] = static_cast<long>(ids.size());
    }
    ASSERT_EQ(made, man.Bdd_var_by_name(name)) << name;
    ASSERT_EQ(man.Id_var_by_bdd(made), ids[name]) << name;
    ASSERT_EQ(man.Name_var_by_bdd(made), name);
  }
  EXPECT_EQ(names_by_index(), order);
  for (const auto& [name, id] : ids) {
    EXPECT_EQ(man.Id_var_by_name(name), id);
    EXPECT_EQ(man.Name_var_by_id(id), name);
  }
  EXPECT_EQ(man.Bdd_var_by_name("s1500"), 0u);
}

TEST_F(BddppManager, InsertionsShiftTheIndexesAndKeepTheIds) {
  bdd p = man.New_var_last("p");
  man.New_var_last("q");
  bdd r = man.New_var_last("r");
  bdd s = man.New_var_after(p, "s");
  EXPECT_EQ(names_by_index(), (Names{"p", "s", "q", "r"}));
  EXPECT_EQ(man.Index_var_by_name("q"), 2);
  EXPECT_EQ(man.Index_var_by_bdd(s), 1);
  EXPECT_EQ(man.Id_var_by_name("s"), 3);
  EXPECT_EQ(man.Name_var_by_id(3), "s");

  bdd t = man.New_var_before(p, "t");
  bdd u = man.New_var_after(r, "u");
  bdd v = man.New_var_before(r, "v");
  EXPECT_EQ(names_by_index(), (Names{"t", "p", "s", "q", "v", "r", "u"}));
  for (const std::string& name : names_by_index()) {
    bdd var = man.Bdd_var_by_name(name);
    EXPECT_EQ(man.Name_var_by_bdd(var), name);
    EXPECT_EQ(man.Bdd_var_by_index(man.Index_var_by_name(name)), var);
    EXPECT_EQ(man.Bdd_var_by_id(man.Id_var_by_name(name)), var);
    EXPECT_EQ(man.Bdd_if_id(var), man.Id_var_by_name(name));
  }
  EXPECT_EQ(man.Bdd_if_index(t), 0);
  EXPECT_EQ(man.Bdd_if_index(u), 6);
  EXPECT_EQ(man.Bdd_if_index(v), 4);
  EXPECT_EQ(man.Name_var_by_id(4), "t");
}

TEST_F(BddppManager, ManagerIdsCountFromZeroAndEngineIdsFromOne) {
  bdd p = man.New_var_last("p");
  EXPECT_EQ(man.Id_var_by_bdd(p), 0);
  EXPECT_EQ(man.Id_var_by_name("p"), 0);
  EXPECT_EQ(bdd_if_id(man.engine(), p), 1);
  EXPECT_EQ(man.Bdd_var_by_id(0), p);
  EXPECT_EQ(man.Bdd_var_by_id(1), 0u);
  EXPECT_EQ(man.Bdd_var_by_id(-1), 0u);
  EXPECT_EQ(man.Bdd_var_by_index(1), 0u);
  EXPECT_EQ(man.Bdd_var_by_index(-1), 0u);
  EXPECT_EQ(man.Bdd_if_index(man.Bdd_one()), -1);
  EXPECT_EQ(man.Bdd_if_id(man.Bdd_zero()), -1);
}

TEST_F(BddppManager, UnknownNamesAreAbsent) {
  man.New_var_last("p");
  EXPECT_EQ(man.Bdd_var_by_name("P"), 0u);
  EXPECT_EQ(man.Bdd_var_by_name(""), 0u);
  EXPECT_EQ(man.Index_var_by_name("p "), -1);
  EXPECT_EQ(man.Id_var_by_name("q"), -1);
}

TEST_F(BddppManager, NameOfAFunctionIsItsTopVariable) {
  man.New_var_last("p");
  bdd q = man.New_var_last("q");
  bdd r = man.New_var_last("r");
  EXPECT_EQ(man.Name_var_by_bdd(man.Bdd_one()), "1");
  EXPECT_EQ(man.Name_var_by_bdd(man.Bdd_zero()), "0");
  bdd qr = man.Bdd_and(r, q);
  EXPECT_EQ(man.Name_var_by_bdd(qr), "q");
  bdd not_r = man.Bdd_not(r);
  EXPECT_EQ(man.Name_var_by_bdd(not_r), "r");
  man.Bdd_free(qr);
  man.Bdd_free(not_r);
}

TEST_F(BddppManager, NameOfANullHandleIsFatal) {
  man.New_var_last("p");
  EXPECT_EXIT(
      man.Name_var_by_bdd(0), ::testing::ExitedWithCode(1),
      ::testing::Eq(std::string("error in bddpp_manager::Name_var_by_bdd()\n"
                                "bdd referenced by the adress: 0, is not allocated ...\n")));
}

TEST_F(BddppManager, RenameWarnsAndKeepsTheTableOnFailure) {
  bdd p = man.New_var_last("p");
  bdd q = man.New_var_last("q");
  testing::internal::CaptureStderr();
  man.Rename_var("q", "p");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in bdd_manager::Rename_var(): WARNING q ALREADY DEFINED !\n"
            "renaming process aborted ...\n");
  testing::internal::CaptureStderr();
  man.Rename_var("z", "y");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in bdd_manager::Rename_var(): WARNING y NOT FOUND !\n"
            "renaming process aborted ...\n");
  // The new name is checked first, even when the old one is missing too.
  testing::internal::CaptureStderr();
  man.Rename_var("p", "y");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "in bdd_manager::Rename_var(): WARNING p ALREADY DEFINED !\n"
            "renaming process aborted ...\n");
  EXPECT_EQ(names_by_index(), (Names{"p", "q"}));

  testing::internal::CaptureStderr();
  man.Rename_var("a", "q");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(names_by_index(), (Names{"p", "a"}));
  EXPECT_EQ(man.Bdd_var_by_name("a"), q);
  EXPECT_EQ(man.Bdd_var_by_name("q"), 0u);
  // The old name is free again: creating it makes a new variable.
  EXPECT_NE(man.New_var_last("q"), q);
  EXPECT_EQ(man.Bdd_var_by_name("p"), p);
}

TEST_F(BddppManager, UnderscoreNamesGetAPrefix) {
  man.New_var_last("_a");
  man.New_var_last("b_");
  man.New_var_last("v_c");
  bdd c = man.New_var_last("_c");
  man.New_var_last("_");
  man.No_begin_underscore_name();
  // "_c" cannot become "v_c", which is taken; it takes one more "v".
  EXPECT_EQ(names_by_index(), (Names{"v_a", "b_", "v_c", "vv_c", "v_"}));
  EXPECT_EQ(man.Bdd_var_by_name("vv_c"), c);
  EXPECT_EQ(man.Bdd_var_by_name("_a"), 0u);
  EXPECT_EQ(man.Index_var_by_name("v_"), 4);
}

TEST_F(BddppManager, ConnectivesAgreeWithEachOtherAndReleaseTheirIntermediates) {
  bdd p = man.New_var_last("p");
  bdd q = man.New_var_last("q");
  bdd r = man.New_var_last("r");
  const long baseline = live_nodes();
  std::vector<bdd> held;
  auto keep = [&held](bdd f) {
    held.push_back(f);
    return f;
  };
  bdd pq = keep(man.Bdd_and(p, q));
  bdd np = keep(man.Bdd_not(p));
  bdd imp = keep(man.Bdd_implication(p, q));
  EXPECT_EQ(imp, keep(man.Bdd_or(np, q)));
  EXPECT_EQ(keep(man.Bdd_ite(p, q, np)), imp);
  EXPECT_EQ(keep(man.Bdd_nand(p, q)), keep(man.Bdd_not(pq)));
  bdd p_or_q = keep(man.Bdd_or(p, q));
  EXPECT_EQ(keep(man.Bdd_nor(p, q)), keep(man.Bdd_not(p_or_q)));
  bdd eq = keep(man.Bdd_eq(p, q));
  EXPECT_EQ(keep(man.Bdd_xnor(p, q)), eq);
  bdd x = keep(man.Bdd_xor(p, q));
  EXPECT_TRUE(man.Bdds_excl(eq, x));
  EXPECT_FALSE(man.Bdds_exclude(pq, q));
  EXPECT_TRUE(man.Bdd_equiv(keep(man.Bdd_not(x)), eq));
  EXPECT_FALSE(man.Bdd_equiv(x, eq));
  EXPECT_TRUE(man.Bdd_imply(pq, q));
  EXPECT_TRUE(man.Bdd_imply(pq, pq));
  EXPECT_FALSE(man.Bdd_imply(q, pq));
  EXPECT_TRUE(man.Bdd_imply(man.Bdd_one(), man.Bdd_one()));

  const int refs = bdd_debug_refs(pq);
  EXPECT_EQ(keep(man.Bdd_dup(pq)), pq);
  EXPECT_EQ(bdd_debug_refs(pq), refs + 1);
  EXPECT_EQ(keep(man.Bdd_compose(pq, p, r)), keep(man.Bdd_and(q, r)));
  EXPECT_EQ(keep(man.Bdd_reduce(pq, p)), q);
  EXPECT_EQ(keep(man.Bdd_then(pq)), q);
  EXPECT_EQ(keep(man.Bdd_else(pq)), man.Bdd_zero());
  EXPECT_EQ(man.Bdd_if(pq), p);
  for (bdd f : held)
    man.Bdd_free(f);
  EXPECT_EQ(live_nodes(), baseline);
}

TEST_F(BddppManager, ClassifiesConstantsLiteralsAndVariables) {
  bdd p = man.New_var_last("p");
  bdd q = man.New_var_last("q");
  bdd pq = man.Bdd_and(p, q);
  bdd np = man.Bdd_not(p);
  EXPECT_TRUE(man.Bdd_is_tautology(man.Bdd_one(), 1));
  EXPECT_TRUE(man.Bdd_is_tautology(man.Bdd_one(), 7));
  EXPECT_FALSE(man.Bdd_is_tautology(man.Bdd_one(), 0));
  EXPECT_TRUE(man.Bdd_is_tautology(man.Bdd_zero(), 0));
  EXPECT_FALSE(man.Bdd_is_tautology(p, 1));
  EXPECT_FALSE(man.Bdd_is_tautology(np, 0));

  EXPECT_TRUE(man.Bdd_is_terminal(man.Bdd_zero()));
  EXPECT_TRUE(man.Bdd_is_terminal(p));
  EXPECT_TRUE(man.Bdd_is_terminal(np));
  EXPECT_FALSE(man.Bdd_is_terminal(pq));

  EXPECT_TRUE(man.Bdd_is_var(q));
  EXPECT_FALSE(man.Bdd_is_var(np));
  EXPECT_FALSE(man.Bdd_is_var(pq));
  EXPECT_FALSE(man.Bdd_is_var(man.Bdd_one()));
  EXPECT_FALSE(man.Bdd_is_var(0));
  man.Bdd_free(pq);
  man.Bdd_free(np);
}

TEST_F(BddppManager, ExtractQuantifiesAVariableAway) {
  bdd p = man.New_var_last("p");
  bdd q = man.New_var_last("q");
  bdd r = man.New_var_last("r");
  bdd pq = man.Bdd_and(p, q);
  bdd f = man.Bdd_or(pq, r);  // p·q + r
  bdd without_p = man.Bdd_extract(f, p);
  bdd q_or_r = man.Bdd_or(q, r);
  EXPECT_EQ(without_p, q_or_r);
  EXPECT_EQ(man.Bdd_extract(f, man.Bdd_one()), man.Bdd_one());
  EXPECT_EQ(man.Bdd_extract(f, man.Bdd_zero()), man.Bdd_zero());
  // Quantifying a variable f does not read leaves it unchanged.
  bdd same = man.Bdd_extract(pq, r);
  EXPECT_EQ(same, pq);
  for (bdd g : {pq, f, without_p, q_or_r, same})
    man.Bdd_free(g);
}

TEST_F(BddppManager, ReplaceVarsFollowsTheIndexMap) {
  bdd p = man.New_var_last("p");
  bdd q = man.New_var_last("q");
  bdd r = man.New_var_last("r");
  bdd nq = man.Bdd_not(q);
  bdd pnq = man.Bdd_and(p, nq);
  bdd f = man.Bdd_or(pnq, r);  // p·!q + r
  const int swap_pq[] = {1, 0, 2};
  bdd g = man.Bdd_replace_vars(f, swap_pq);
  bdd np = man.Bdd_not(p);
  bdd qnp = man.Bdd_and(q, np);
  bdd expected = man.Bdd_or(qnp, r);
  EXPECT_EQ(g, expected);
  const int identity[] = {0, 1, 2};
  bdd h = man.Bdd_replace_vars(f, identity);
  EXPECT_EQ(h, f);
  const int all_to_r[] = {2, 2, 2};
  bdd k = man.Bdd_replace_vars(f, all_to_r);  // r·!r + r
  EXPECT_EQ(k, r);
  for (bdd x : {nq, pnq, f, g, np, qnp, expected, h, k})
    man.Bdd_free(x);
}

TEST_F(BddppManager, SimplifyKeepsTheFunctionOnTheCareSet) {
  bdd p = man.New_var_last("p");
  bdd q = man.New_var_last("q");
  bdd pq = man.Bdd_and(p, q);
  bdd np = man.Bdd_not(p);
  // p·q is zero wherever !p holds: dropping q keeps it so, dropping p not.
  bdd s = man.Bdd_simplify(pq, np);
  EXPECT_EQ(s, p);
  bdd s2 = man.Bdd_simplify2(pq, np);
  EXPECT_EQ(s2, p);
  bdd kept = man.Bdd_simplify(pq, q);
  EXPECT_EQ(kept, pq);
  EXPECT_EQ(man.Bdd_simplify(man.Bdd_one(), q), man.Bdd_one());
  for (bdd x : {pq, np, s, s2, kept})
    man.Bdd_free(x);
}

TEST_F(BddppManager, StructureDumpUsesTheNames) {
  bdd alpha = man.New_var_last("alpha");
  bdd beta = man.New_var_last("beta");
  man.New_var_before(alpha, "first");
  bdd nb = man.Bdd_not(beta);
  bdd f = man.Bdd_and(alpha, nb);
  char* buf = nullptr;
  std::size_t len = 0;
  std::FILE* out = open_memstream(&buf, &len);
  man.Print_bdd_structure(out, f);
  std::fclose(out);
  std::string text(buf, len);
  std::free(buf);
  EXPECT_NE(text.find("if alpha"), std::string::npos) << text;
  EXPECT_NE(text.find("!beta"), std::string::npos) << text;
  EXPECT_EQ(text.find("var."), std::string::npos) << text;
  man.Bdd_free(nb);
  man.Bdd_free(f);
}

}  // namespace
