// The product limits of the sums of products: parity of 17 variables has
// 65536 products in every cover, more than a product array holds, so both the
// cover by satisfying cubes and the prime-implicant walk end the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bddpp/bddpp_manager.h"

namespace {

class BddppLimits : public ::testing::Test {
 protected:
  bddpp_manager man;
  bdd parity = 0;

  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    parity = man.Bdd_dup(man.Bdd_zero());
    for (int i = 0; i < 17; ++i) {
      bdd next = man.Bdd_xor(parity, man.New_var_last("x" + std::to_string(i)));
      man.Bdd_free(parity);
      parity = next;
    }
  }
  void TearDown() override { man.Bdd_free(parity); }
};

TEST_F(BddppLimits, CoverBySatisfyingCubesStopsAtTheArraySize) {
  std::vector<bdd> out(kBddppMaxProducts);
  EXPECT_EXIT(man.Bdd_sop(parity, out.data(), 0), ::testing::ExitedWithCode(1),
              ::testing::Eq(std::string("error in bddpp_manager::Bdd_sop_0() \n"
                                        "excessive number of products ...\n")));
}

TEST_F(BddppLimits, PrimeImplicantWalkStopsAtTheArraySize) {
  std::vector<bdd> out(kBddppMaxProducts);
  EXPECT_EXIT(man.Bdd_sop(parity, out.data(), 2), ::testing::ExitedWithCode(1),
              ::testing::Eq(std::string("error in Tdd::Bdd_implicants_loc() \n"
                                        "excessive number of products ...\n")));
}

// Below the limit large covers are complete: 2^14 products for 15 variables.
TEST_F(BddppLimits, LargeCoversBelowTheLimitAreComplete) {
  bdd sixteen_vars = man.Bdd_compose(parity, man.Bdd_var_by_index(16), man.Bdd_zero());
  bdd fifteen = man.Bdd_compose(sixteen_vars, man.Bdd_var_by_index(15), man.Bdd_zero());
  man.Bdd_free(sixteen_vars);
  std::vector<bdd> out(kBddppMaxProducts);
  for (int method : {0, 2}) {
    const int count = man.Bdd_sop(fifteen, out.data(), method);
    EXPECT_EQ(count, 1 << 14) << method;
    bdd cover = man.Bdd_dup(man.Bdd_zero());
    for (int i = 0; i < count; ++i) {
      bdd next = man.Bdd_or(cover, out[i]);
      man.Bdd_free(cover);
      man.Bdd_free(out[i]);
      cover = next;
    }
    EXPECT_EQ(cover, fifteen) << method;
    man.Bdd_free(cover);
  }
  man.Bdd_free(fifteen);
}

}  // namespace
