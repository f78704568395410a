// The dependence sets of a merged automaton: every equation's set is the
// support of its right member, and the merge gives the same trace and the
// same sets whether supports are carried over from the parts or walked.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "automaton/merge.h"
#include "blif/blif_assembly.h"
#include "support/reference_paths.h"
#include "tests/random_tables.h"

namespace {

using names = std::vector<std::string>;

using testutil::listed;

// A random model over a small pool of names, so that two of them share
// inputs, outputs (ored by the merge) and signals that connect them.
blif_model random_model(std::mt19937& rng, const char* file) {
  const char* pool[] = {"a", "b", "c", "d", "e", "f", "g", "h"};
  auto pick = [&] { return std::string(pool[rng() % 8]); };
  blif_model m;
  m.name = "m";
  m.file = file;
  names driven;
  for (int i = static_cast<int>(rng() % 4); i > 0; --i) {
    const std::string x = pick();
    if (!listed(m.inputs, x)) m.inputs.push_back(x);
  }
  for (int i = static_cast<int>(rng() % 3); i > 0; --i) {
    const std::string q = pick();
    if (listed(m.inputs, q) || listed(driven, q)) continue;
    driven.push_back(q);
    m.latches.push_back({pick(), q, static_cast<int>(rng() % 2), 0});
  }
  testutil::add_random_tables(rng, pick, m.inputs, driven, m.tables);
  for (const std::string& y : driven)
    if (rng() % 2 == 0) m.outputs.push_back(y);
  for (int i = static_cast<int>(rng() % 2); i > 0; --i) {
    const std::string x = pick();
    if (!listed(m.outputs, x)) m.outputs.push_back(x);
  }
  return m;
}

// Each equation's name and dependence set, after checking the set against
// a walk of its right member.
std::string checked_sets(const b_automaton& merged) {
  bddpp_manager* man = merged.manager_associe();
  std::ostringstream sets;
  auto check = [&](const Bddexpression* e) {
    const std::vector<long> walked = man->Support_indexes(e->my_bdd_exp());
    EXPECT_TRUE(e->dependances().same_as(walked)) << e->my_name();
    sets << e->my_name() << ' ' << e->dependances() << '\n';
  };
  for (int i = 0; i < merged.nb_equ_trans(); ++i)
    check(merged.equ_trans(i));
  for (int i = 0; i < merged.nb_equ_def(); ++i)
    check(merged.equ_def(i));
  return sets.str();
}

TEST(MergeSupports, CarriedSetsAreTheSupportsAndChangeNothingOnRandomPairs) {
  std::mt19937 rng(20261210);
  int merged_pairs = 0;
  for (int round = 0; round < 300; ++round) {
    std::unique_ptr<b_automaton> a, b;
    if (!assemble_automaton(random_model(rng, "a.blif"), a).ok()) continue;
    if (!assemble_automaton(random_model(rng, "b.blif"), b).ok()) continue;
    std::string trace[2], sets[2];
    bool ok[2];
    for (int reference = 0; reference < 2; ++reference) {
      tessaro::reference_paths() = reference == 1;
      std::ostringstream out;
      std::unique_ptr<b_automaton> merged;
      ok[reference] = merge(*a, "a.blif", *b, "b.blif", &out, merged).ok();
      trace[reference] = out.str();
      if (ok[reference]) sets[reference] = checked_sets(*merged);
    }
    tessaro::reference_paths() = false;
    ASSERT_EQ(ok[0], ok[1]) << "round " << round;
    EXPECT_EQ(trace[0], trace[1]) << "round " << round;
    EXPECT_EQ(sets[0], sets[1]) << "round " << round;
    merged_pairs += ok[0] ? 1 : 0;
  }
  // Most pairs merge; refusals (names that would meet) are rare.
  EXPECT_GT(merged_pairs, 200);
}

}  // namespace
