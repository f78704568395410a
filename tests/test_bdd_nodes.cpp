// Tests of the node layer of the BDD engine: constants, handles, bdd_find and
// its reference transfer, unique-table growth, terminals, variables and the
// block tree.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/test_bdd_fixture.h"

namespace {

using BddNodes = BddTest;

TEST_F(BddNodes, FreshEngineStartValues) {
  EXPECT_EQ(bdd_vars(m), 0);
  EXPECT_EQ(bdd_total_size(m), 1);
  EXPECT_EQ(m->gc_limit, kGcLimitFloor);
  EXPECT_EQ(m->var_capacity, 30);
  EXPECT_EQ(m->node_limit, 0);
  EXPECT_EQ(m->cache_bucket_count, 16369u);
  EXPECT_EQ(m->cache_ratio, 4);
  EXPECT_EQ(m->check_countdown, 1);
  EXPECT_EQ(m->root_block->first_index, -1);
  EXPECT_EQ(m->root_block->last_index, 0);
  EXPECT_EQ(m->root_block->reorderable, 1);
  EXPECT_STREQ(bdd_version(), "1.0");

  bdd one = bdd_one(m);
  bdd zero = bdd_zero(m);
  EXPECT_EQ(one ^ zero, 1u);
  EXPECT_EQ(one & 7u, 0u);
  EXPECT_EQ(bdd_debug_refs(one), 255);
  EXPECT_EQ(bdd_node(one)->then_, 0xFFFFFFFFu);
  EXPECT_EQ(bdd_node(one)->else_, 0xFFFFFFFFu);
  EXPECT_EQ(bdd_type(m, one), BDD_TYPE_ONE);
  EXPECT_EQ(bdd_type(m, zero), BDD_TYPE_ZERO);
}

TEST_F(BddNodes, NegationIsTheComplementBitAndBuildsNothing) {
  vars(2);
  bdd f = bdd_and(m, x[0], x[1]);
  long size = bdd_total_size(m);
  bdd nf = bdd_not(m, f);
  bdd back = bdd_not(m, nf);
  EXPECT_EQ(nf, f ^ 1u);
  EXPECT_EQ(back, f);
  EXPECT_EQ(bdd_total_size(m), size);
  EXPECT_EQ(bdd_debug_refs(f), 3);  // bdd_and, then one per bdd_not
  EXPECT_EQ(bdd_not(m, 0), 0u);
  for (int i = 0; i < 3; ++i)
    bdd_free(m, f);
}

TEST_F(BddNodes, FindWithEqualChildrenReturnsTheChild) {
  vars(3);
  bdd g = bdd_or(m, x[1], x[2]);
  bdd_unfree(m, g);  // a second external count to turn into temporaries below
  bdd_node(g)->temps = 2;
  long size = bdd_total_size(m);
  bdd r = bdd_find(m, bdd_node(x[0])->id, g, g);
  EXPECT_EQ(r, g);
  EXPECT_EQ(bdd_total_size(m), size);
  EXPECT_EQ(bdd_node(g)->temps, 1);  // one of the two temporaries given back
  bdd_node(g)->temps = 0;
  bdd_free(m, g);
  bdd_free(m, g);
}

TEST_F(BddNodes, FindKeepsThenEdgesRegular) {
  vars(3);
  int top = bdd_node(x[0])->id;
  bdd t = x[1];
  bdd e = x[2] ^ 1u;
  bdd r = bdd_find(m, top, t, e);
  bdd rn = bdd_find(m, top, t ^ 1u, e ^ 1u);
  EXPECT_EQ(rn, r ^ 1u);
  EXPECT_FALSE(bdd_is_complemented(r));
  EXPECT_FALSE(bdd_is_complemented(bdd_node(r)->then_));
  EXPECT_EQ(bdd_node(r)->then_, t);
  EXPECT_EQ(bdd_node(r)->else_, e);
  EXPECT_EQ(bdd_node(r)->temps, 2);  // one temporary per lookup
  // Both lookups name the same function as ite(x0, x1, !x2) and its negation.
  bdd ite = bdd_ite(m, x[0], x[1], x[2] ^ 1u);
  EXPECT_EQ(ite, r);
  bdd_node(r)->temps = 0;
  bdd_free(m, ite);
}

TEST_F(BddNodes, TableGrowsPastTwoNodesPerBucket) {
  vars(30);
  int id = bdd_node(x[0])->id;
  var_table* vt = m->unique_tables[id];
  EXPECT_EQ(vt->node_count, 1);  // the literal itself
  std::vector<bdd> made;
  for (int i = 1; i <= 13; ++i)
    made.push_back(bdd_find(m, id, x[i], m->zero));
  EXPECT_EQ(vt->node_count, 14);
  EXPECT_EQ(vt->bucket_count, 7);
  made.push_back(bdd_find(m, id, x[14], m->zero));
  EXPECT_EQ(vt->node_count, 15);
  EXPECT_EQ(vt->bucket_count, 113);  // four prime steps: sixteen times the buckets
  EXPECT_EQ(vt->size_index, 7);
  for (int i = 15; i <= 28; ++i)
    made.push_back(bdd_find(m, id, x[i], m->zero));
  EXPECT_EQ(vt->node_count, 29);
  EXPECT_EQ(vt->bucket_count, 113);
  for (bdd f : made)
    bdd_node(f)->temps = 0;
  EXPECT_EQ(bdd_debug_check(m), 0);  // every node in the chain of its new bucket
  // Collected again, the table shrinks by one step per collection while it
  // holds fewer than one node per 32 buckets.
  const std::int32_t sizes[] = {59, 23, 23};
  for (std::int32_t size : sizes) {
    bdd_gc(m);
    EXPECT_EQ(vt->node_count, 1);
    EXPECT_EQ(vt->bucket_count, size);
  }
}

// Every node sets its bit in its bucket's filter byte, through growth and
// collection alike; a lookup trusts a clear bit, so the check reports one.
TEST_F(BddNodes, ChainFiltersHoldEveryNodeOfTheirChain) {
  vars(40);
  const int id = bdd_node(x[0])->id;
  var_table* vt = m->unique_tables[id];
  std::vector<bdd> made;
  for (int i = 1; i < 40; ++i) {
    for (int j = 1; j < 40; ++j) {
      if (i != j) made.push_back(bdd_find(m, id, x[i], x[j]));
    }
  }
  EXPECT_GT(vt->bucket_count, 113);  // grown at least twice
  for (bdd f : made) {
    const bdd_* n = bdd_node(f);
    const std::uint32_t b = bdd_table_bucket(vt, n->then_, n->else_);
    EXPECT_NE(bdd_table_filters(vt)[b] & bdd_filter_bit(n->then_, n->else_), 0);
    EXPECT_EQ(bdd_find_in_table(m, id, n->then_, n->else_), f & ~1u);
  }
  for (std::size_t k = 0; k < made.size(); ++k)
    bdd_node(made[k])->temps = k % 2 == 0 ? 1 : 0;  // keep every other one
  bdd_gc(m);  // the sweep rebuilds every chain and its filter byte
  for (std::size_t k = 0; k < made.size(); k += 2) {
    const bdd_* n = bdd_node(made[k]);
    EXPECT_EQ(bdd_find_in_table(m, id, n->then_, n->else_), made[k] & ~1u);
  }
  for (std::size_t k = 0; k < made.size(); k += 2)
    bdd_node(made[k])->temps = 0;
  ASSERT_EQ(bdd_debug_check(m), 0);

  // A node whose bit is cleared would be made a second time: the check says so.
  const bdd_* n = bdd_node(made[0]);
  const std::uint32_t b = bdd_table_bucket(vt, n->then_, n->else_);
  const std::uint8_t saved = bdd_table_filters(vt)[b];
  bdd_table_filters(vt)[b] = static_cast<std::uint8_t>(saved & ~bdd_filter_bit(n->then_, n->else_));
  testing::internal::CaptureStderr();
  EXPECT_NE(bdd_debug_check(m), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("missing from its chain's filter"),
            std::string::npos);
  bdd_table_filters(vt)[b] = saved;
}

TEST_F(BddNodes, BucketArithmeticMatchesSignedRemainder) {
  const std::int32_t samples[] = {0, 1, -1, 7, -7, 123456789, -123456789, INT32_MAX, INT32_MIN};
  for (int i = 0; i < kPrimeCount; ++i) {
    std::int64_t p = bdd_primes[i];
    for (std::int32_t h : samples) {
      std::int64_t r = static_cast<std::int64_t>(h) % p;
      if (r < 0) r = -r;
      EXPECT_EQ(bdd_mod(h, static_cast<std::uint32_t>(p), bdd_prime_magic.v[i]), r)
          << "h=" << h << " p=" << p;
    }
  }
}

TEST_F(BddNodes, TerminalAndItsNegationShareANode) {
  long size = bdd_total_size(m);
  bdd a = bdd_find_terminal(m, 5, 0);
  bdd b = bdd_find_terminal(m, -5, 0);
  EXPECT_EQ(a, b ^ 1u);
  EXPECT_EQ(bdd_total_size(m), size + 1);
  EXPECT_EQ(bdd_type(m, a), BDD_TYPE_CONSTANT);
  // Stored under the canonical (non-positive) value.
  EXPECT_EQ(static_cast<std::int32_t>(bdd_node(a)->then_), -5);
  EXPECT_TRUE(bdd_is_complemented(a));
  // A 64-bit value with a non-zero low word: (0, 3) is stored as (-1, -3).
  bdd c = bdd_find_terminal(m, 0, 3);
  bdd d = bdd_find_terminal(m, -1, -3);
  EXPECT_EQ(c, d ^ 1u);
  EXPECT_EQ(bdd_find_terminal(m, -1, -1), bdd_one(m));
  EXPECT_EQ(bdd_find_terminal(m, 0, 1), bdd_zero(m));  // the negation of -1
  bdd_clear_temps(m);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), size);
}

TEST_F(BddNodes, NewVarLastAndLookups) {
  for (int n = 0; n < 4; ++n) {
    bdd v = bdd_new_var_last(m);
    EXPECT_EQ(bdd_if_index(m, v), n);
    EXPECT_EQ(bdd_if_id(m, v), n + 1);
    EXPECT_EQ(bdd_var_with_index(m, n), v);
    EXPECT_EQ(bdd_var_with_id(m, n + 1), v);
    EXPECT_EQ(bdd_type(m, v), BDD_TYPE_POSVAR);
    EXPECT_EQ(bdd_debug_refs(v), 255);
  }
  EXPECT_EQ(bdd_vars(m), 4);
  EXPECT_EQ(bdd_total_size(m), 5);
  EXPECT_EQ(bdd_var_with_index(m, -1), 0u);
  EXPECT_EQ(bdd_var_with_index(m, 4), 0u);
  EXPECT_EQ(bdd_var_with_id(m, 0), 0u);
  EXPECT_EQ(bdd_var_with_id(m, 5), 0u);
}

TEST_F(BddNodes, CapacityDoublesAtTheThirtyFirstVariable) {
  vars(30);
  EXPECT_EQ(m->var_capacity, 30);
  bdd f = bdd_and(m, x[0], x[29]);
  vars(1);
  EXPECT_EQ(m->var_capacity, 60);
  EXPECT_EQ(bdd_if_id(m, x[30]), 31);
  EXPECT_EQ(bdd_var_with_index(m, 29), x[29]);
  bdd g = bdd_and(m, f, x[30]);
  EXPECT_EQ(table(g, 0), "0");
  EXPECT_EQ(eval(g, (1ull << 0) | (1ull << 29) | (1ull << 30)), 1);
  EXPECT_EQ(eval(g, (1ull << 0) | (1ull << 30)), 0);
  bdd_free(m, f);
  bdd_free(m, g);
}

TEST_F(BddNodes, NewVarFirstMovesTheOthersDown) {
  vars(2);
  bdd f = bdd_and(m, x[0], x[1] ^ 1u);
  bdd w = bdd_new_var_first(m);
  EXPECT_EQ(bdd_if_index(m, w), 0);
  EXPECT_EQ(bdd_if_id(m, w), 3);
  EXPECT_EQ(bdd_if_index(m, x[0]), 1);
  EXPECT_EQ(bdd_if_index(m, x[1]), 2);
  EXPECT_EQ(bdd_if_id(m, x[0]), 1);
  EXPECT_EQ(bdd_if_id(m, x[1]), 2);
  EXPECT_EQ(bdd_var_with_index(m, 0), w);
  EXPECT_EQ(bdd_var_with_index(m, 2), x[1]);
  // Old functions keep their meaning and new ones respect the new order.
  bdd g = bdd_and(m, w, f);
  EXPECT_EQ(bdd_if(m, g), w);
  bdd h = bdd_and(m, f, w);
  EXPECT_EQ(h, g);
  bdd_free(m, f);
  bdd_free(m, g);
  bdd_free(m, h);
}

TEST_F(BddNodes, NewVarBeforeAndAfter) {
  vars(3);
  bdd b = bdd_new_var_before(m, x[1]);
  EXPECT_EQ(bdd_if_index(m, b), 1);
  EXPECT_EQ(bdd_if_index(m, x[1]), 2);
  bdd a = bdd_new_var_after(m, x[1]);
  EXPECT_EQ(bdd_if_index(m, a), 3);
  EXPECT_EQ(bdd_if_index(m, x[2]), 4);
  EXPECT_EQ(bdd_new_var_before(m, 0), 0u);
  EXPECT_EQ(bdd_new_var_after(m, 0), 0u);
  EXPECT_EQ(bdd_vars(m), 5);

  // A negative literal warns and is used for its variable; a constant warns
  // and gives a variable at the end.
  testing::internal::CaptureStderr();
  bdd c = bdd_new_var_after(m, x[0] ^ 1u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "BDD library: warning: bdd_new_var_after: argument is not a positive variable\n");
  EXPECT_EQ(bdd_if_index(m, c), 1);
  testing::internal::CaptureStderr();
  bdd d = bdd_new_var_before(m, bdd_one(m));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "BDD library: warning: bdd_new_var_before: argument is not a positive variable\n");
  EXPECT_EQ(bdd_if_index(m, d), 6);
}

TEST_F(BddNodes, BlockTreeFollowsInsertions) {
  vars(2);
  bdd_new_var_first(m);
  bdd_new_var_after(m, x[0]);
  const var_block_* root = bdd_root_block(m);
  ASSERT_EQ(root->num_children, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(root->children[i]->first_index, i);
    EXPECT_EQ(root->children[i]->last_index, i);
    EXPECT_EQ(root->children[i]->reorderable, 0);
    EXPECT_EQ(root->children[i]->num_children, 0);
  }
  EXPECT_EQ(root->first_index, -1);
  EXPECT_EQ(root->last_index, 4);
}

TEST_F(BddNodes, BlockInsertionInsideAGroupBlock) {
  vars(4);
  // Group the blocks of indexes 1 and 2 under one block, as a reorder setup would.
  var_block_* root = m->root_block;
  var_block_* group = bdd_new_block(m, 1, 2, 1);
  group->children = static_cast<var_block_**>(mem_get_block(2 * sizeof(var_block_*)));
  group->children[0] = root->children[1];
  group->children[1] = root->children[2];
  group->num_children = 2;
  root->children[1] = group;
  root->children[2] = root->children[3];
  root->num_children = 3;

  bdd_new_var_after(m, x[1]);  // index 2, inside the group
  EXPECT_EQ(group->first_index, 1);
  EXPECT_EQ(group->last_index, 3);
  ASSERT_EQ(group->num_children, 3);
  EXPECT_EQ(group->children[1]->first_index, 2);
  EXPECT_EQ(group->children[2]->first_index, 3);
  EXPECT_EQ(root->children[2]->first_index, 4);

  bdd_new_var_before(m, x[1]);  // index 1: a new leaf before the group
  ASSERT_EQ(root->num_children, 4);
  EXPECT_EQ(root->children[1]->num_children, 0);
  EXPECT_EQ(root->children[2], group);
  EXPECT_EQ(group->first_index, 2);
  EXPECT_EQ(group->last_index, 4);
  EXPECT_EQ(group->children[0]->first_index, 2);
}

TEST_F(BddNodes, FatalVariableCreation) {
  vars(2);
  EXPECT_BDD_FATAL(bdd_new_var(m, 3), "bdd_new_var: index out of range");
  EXPECT_BDD_FATAL(
      {
        while (bdd_vars(m) < 65534)
          bdd_new_var_last(m);
        bdd_new_var_last(m);
      },
      "bdd_new_var: no more indexes");
}

}  // namespace
