// Tests of the manager layer's reordering request: names follow their
// variables to the new indexes, and every name keeps its function.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bdd/bdd_debug.h"
#include "bdd/bdd_int.h"
#include "bddpp/bddpp_manager.h"

namespace {

// x0 y0 + x1 y1 + ... by name; with every x above every y this order is the
// worst one for it.
bdd pairs(bddpp_manager& man, int n) {
  bdd f = man.Bdd_zero();
  for (int i = 0; i < n; ++i) {
    bdd p = man.Bdd_and(man.Bdd_var_by_name("x" + std::to_string(i)),
                        man.Bdd_var_by_name("y" + std::to_string(i)));
    bdd next = man.Bdd_or(f, p);
    man.Bdd_free(f);
    man.Bdd_free(p);
    f = next;
  }
  return f;
}

TEST(BddppReorder, NamesFollowTheNewOrder) {
  const int n = 6;
  bddpp_manager man;
  std::vector<std::string> names;
  for (const char* prefix : {"x", "y"}) {
    for (int i = 0; i < n; ++i) {
      names.push_back(prefix + std::to_string(i));
      man.New_var_last(names.back());
    }
  }
  std::vector<bdd> var_of;
  std::vector<long> id_of;
  for (const std::string& name : names) {
    var_of.push_back(man.Bdd_var_by_name(name));
    id_of.push_back(man.Id_var_by_name(name));
  }
  bdd f = pairs(man, n);
  man.Bdd_gc();
  const long before = man.Bdd_total_size();

  man.Bdd_var_reorder();
  EXPECT_EQ(man.engine()->reorder_fn, bdd_reorder_stable_window3);
  EXPECT_LT(man.Bdd_total_size(), before);
  EXPECT_EQ(bdd_debug_check(man.engine()), 0);

  // Each pair now sits side by side, which is what the new size needs.
  for (int i = 0; i < n; ++i) {
    long xi = man.Index_var_by_name("x" + std::to_string(i));
    long yi = man.Index_var_by_name("y" + std::to_string(i));
    EXPECT_EQ(std::labs(xi - yi), 1) << "pair " << i;
  }
  for (std::size_t k = 0; k < names.size(); ++k) {
    const std::string& name = names[k];
    const long index = man.Index_var_by_name(name);
    EXPECT_EQ(man.Bdd_var_by_name(name), var_of[k]);
    EXPECT_EQ(man.Id_var_by_name(name), id_of[k]);
    EXPECT_EQ(man.Name_var_by_id(id_of[k]), name);
    EXPECT_EQ(man.Name_var_by_index(index), name);
    EXPECT_EQ(man.Bdd_var_by_index(index), var_of[k]);
    EXPECT_EQ(man.Name_var_by_bdd(var_of[k]), name);
    EXPECT_EQ(man.Bdd_if_index(var_of[k]), index);
  }
  // Rebuilt by name on the new order, the function is the same handle.
  bdd again = pairs(man, n);
  EXPECT_EQ(again, f);
  man.Bdd_free(again);
  man.Bdd_free(f);
}

}  // namespace
