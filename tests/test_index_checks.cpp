// Public methods given an index outside their tables refuse it with a
// message instead of writing or reading past the end: an index between the
// variable count and the capacity of a wood, negative ones, and a variable
// map that sends a variable outside the manager.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "expr/bdd_expression.h"

namespace {

std::string text(const tessaro::set<long>& s) {
  std::ostringstream out;
  out << s;
  return out.str();
}

}  // namespace

TEST(IndexChecks, UpstreamLinksOutsideTheWood) {
  bddpp_manager man;
  Bddexpressionwood wood(&man);
  for (const char* name : {"a", "b", "c", "d", "e"})
    wood.New_var_last(name);
  // Five variables; the tables have room for eight.
  const std::string refused = "in Bddexpressionwood::add_amont_dependance(): bad index ...\n";
  for (const auto& [i, k] : std::vector<std::pair<long, long>>{{5, 0}, {7, 1}, {-1, 0}, {0, 5}}) {
    testing::internal::CaptureStderr();
    wood.add_amont_dependance(i, k);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), refused) << i << " " << k;
  }
  testing::internal::CaptureStderr();
  wood.add_amont_dependance(4, 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(text(wood.amont_dependances(4)), "{2}");
  for (long i : {5L, 7L, -1L}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(text(wood.amont_dependances(i)), "{}");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "in Bddexpressionwood::amont_dependances(): bad index ...\n");
  }
}

TEST(IndexChecks, VariableMapOutsideTheManager) {
  bddpp_manager man;
  bdd a = man.New_var_last("a");
  bdd b = man.New_var_last("b");
  bdd f = man.Bdd_and(a, man.Bdd_not(b));
  const int swap[] = {1, 0};
  bdd swapped = man.Bdd_replace_vars(f, swap);
  bdd expected = man.Bdd_and(b, man.Bdd_not(a));
  EXPECT_EQ(swapped, expected);
  for (const auto& map : {std::vector<int>{0, 2}, std::vector<int>{-1, 0}}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(man.Bdd_replace_vars(f, map.data()), 0u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "in bddpp_manager::Bdd_replace_vars(): bad variable index"),
              std::string::npos);
  }
  // A variable f does not read may map anywhere.
  bdd only_a = man.Bdd_dup(a);
  const int partial[] = {1, 99};
  bdd moved = man.Bdd_replace_vars(only_a, partial);
  EXPECT_EQ(moved, b);
  for (bdd g : {f, swapped, expected, only_a, moved})
    man.Bdd_free(g);
}
