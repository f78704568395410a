// The object pool: objects keep their place while others are made, and each
// is destroyed once, in the order they were made, when the pool goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/object_pool.h"

namespace {

struct tracked {
  std::vector<int>* log;
  int id;
  std::string padding = std::string(40, 'x');  // not trivially destructible
  tracked(std::vector<int>* l, int i) : log(l), id(i) {}
  tracked(const tracked&) = delete;
  tracked& operator=(const tracked&) = delete;
  ~tracked() { log->push_back(id); }
};

TEST(ObjectPool, MakesStableObjectsAndDestroysEachOnceInOrder) {
  std::vector<int> destroyed;
  {
    tessaro::object_pool<tracked, 8> pool;
    std::vector<tracked*> made;
    for (int i = 0; i < 21; ++i)
      made.push_back(pool.make(&destroyed, i));
    EXPECT_TRUE(destroyed.empty());
    for (int i = 0; i < 21; ++i) {
      EXPECT_EQ(made[i]->id, i);
      EXPECT_EQ(made[i]->padding, std::string(40, 'x'));
    }
    EXPECT_EQ(made[0] + 1, made[1]);
  }
  std::vector<int> expected;
  for (int i = 0; i < 21; ++i)
    expected.push_back(i);
  EXPECT_EQ(destroyed, expected);
}

TEST(ObjectPool, AnEmptyPoolDestroysNothing) {
  std::vector<int> destroyed;
  { tessaro::object_pool<tracked> pool; }
  EXPECT_TRUE(destroyed.empty());
}

}  // namespace
