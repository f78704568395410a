// Tests of variable reordering: the three methods on random functions checked
// against their truth tables, dynamic reordering during construction with the
// restart of the running operation, blocks that must keep their children in
// place, associations that follow their variables, and a known bad order
// that sifting must bring down to linear size.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "tests/test_bdd_fixture.h"

namespace {

constexpr int kTableVars = 10;
using TruthTable = std::bitset<1u << kTableVars>;

TruthTable literal_table(int k) {
  TruthTable t;
  for (std::size_t a = 0; a < t.size(); ++a)
    t[a] = (a >> k) & 1u;
  return t;
}

struct Method {
  const char* name;
  bdd_reorder_fn fn;
};
const Method kMethods[] = {{"sift", bdd_reorder_sift},
                           {"window3", bdd_reorder_stable_window3},
                           {"hybrid", bdd_reorder_hybrid}};

// Counting wrappers, so that a test can see that dynamic reordering ran.
int dynamic_runs = 0;
void counting_sift(bdd_manager m) {
  ++dynamic_runs;
  bdd_reorder_sift(m);
}
void counting_window3(bdd_manager m) {
  ++dynamic_runs;
  bdd_reorder_stable_window3(m);
}
void counting_hybrid(bdd_manager m) {
  ++dynamic_runs;
  bdd_reorder_hybrid(m);
}
const Method kCountingMethods[] = {
    {"sift", counting_sift}, {"window3", counting_window3}, {"hybrid", counting_hybrid}};

class BddReorder : public BddTest {
 protected:
  std::mt19937_64 rng{77};

  // Value of f when bit k of assignment gives x[k], whatever the order.
  int eval_by_var(bdd f, std::uint64_t assignment) {
    std::vector<unsigned char> by_id(static_cast<std::size_t>(m->var_count) + 1, 0);
    for (std::size_t k = 0; k < x.size() && k < 64; ++k)
      by_id[bdd_node(x[k])->id] = (assignment >> k) & 1u;
    return bdd_debug_eval(m, f, by_id.data());
  }

  // Whether f computes t over x[0..kTableVars) wherever care holds.
  bool matches(bdd f, const TruthTable& t, const TruthTable& care = TruthTable().set()) {
    for (std::size_t a = 0; a < t.size(); ++a) {
      if (care[a] && eval_by_var(f, a) != static_cast<int>(t[a])) return false;
    }
    return true;
  }

  // The function of table t over x[0..n), by Shannon expansion on x[n-1].
  bdd from_bits(const TruthTable& t, int n, std::size_t low = 0) {
    if (n == 0) return bdd_identity(m, t[low] ? bdd_one(m) : bdd_zero(m));
    bdd f1 = from_bits(t, n - 1, low + (std::size_t{1} << (n - 1)));
    bdd f0 = from_bits(t, n - 1, low);
    bdd r = bdd_ite(m, x[n - 1], f1, f0);
    bdd_free(m, f1);
    bdd_free(m, f0);
    return r;
  }

  // A random table over the first n variables, extended to all ten.
  TruthTable random_table(int n) {
    TruthTable t;
    for (std::size_t a = 0; a < t.size(); ++a) {
      std::size_t low = a & ((std::size_t{1} << n) - 1);
      if (low == a)
        t[a] = rng() & 1u;
      else
        t[a] = t[low];
    }
    return t;
  }

  // A random formula of and / or / xor over literals, with its table.
  bdd random_formula(int depth, TruthTable* t) {
    if (depth == 0 || rng() % 4 == 0) {
      int k = static_cast<int>(rng() % kTableVars);
      *t = literal_table(k);
      if (rng() & 1u) {
        t->flip();
        return bdd_not(m, x[k]);
      }
      return bdd_identity(m, x[k]);
    }
    TruthTable ta, tb;
    bdd a = random_formula(depth - 1, &ta);
    bdd b = random_formula(depth - 1, &tb);
    bdd r;
    switch (rng() % 3) {
      case 0:
        r = bdd_and(m, a, b);
        *t = ta & tb;
        break;
      case 1:
        r = bdd_or(m, a, b);
        *t = ta | tb;
        break;
      default:
        r = bdd_xor(m, a, b);
        *t = ta ^ tb;
        break;
    }
    bdd_free(m, a);
    bdd_free(m, b);
    return r;
  }

  // x1 y1 + ... + xn yn over x[0..n) then x[n..2n): all x above all y.
  bdd pairs_function(int n) {
    bdd f = bdd_identity(m, bdd_zero(m));
    for (int i = 0; i < n; ++i) {
      bdd p = bdd_and(m, x[i], x[n + i]);
      bdd next = bdd_or(m, f, p);
      bdd_free(m, f);
      bdd_free(m, p);
      f = next;
    }
    return f;
  }

  bool pairs_value(std::uint64_t a, int n) {
    return ((a & (a >> n)) & ((std::uint64_t{1} << n) - 1)) != 0;
  }

  // Nodes of f, the terminal included.
  long size_of(bdd f) {
    std::unordered_set<std::uint32_t> seen;
    std::vector<bdd> stack{f};
    while (!stack.empty()) {
      bdd g = stack.back() & ~1u;
      stack.pop_back();
      if (!seen.insert(g).second) continue;
      if (!bdd_is_terminal(g)) {
        stack.push_back(bdd_node(g)->then_);
        stack.push_back(bdd_node(g)->else_);
      }
    }
    return static_cast<long>(seen.size());
  }

  std::vector<int> order() {
    return std::vector<int>(m->id_of_index, m->id_of_index + m->var_count);
  }

  // Makes the first node lookup of the next operation collect and, with a
  // method set, reorder and restart that operation.
  void force_reorder() {
    m->gc_limit = 50;
    m->check_countdown = 1;
  }

  // Nodes left when only the variables and the constants live.
  long baseline() { return 1 + m->var_count; }

  void free_all(const std::vector<bdd>& fs) {
    for (bdd f : fs)
      bdd_free(m, f);
  }
};

// Builds a mix of random tables and formulas, reorders with each method and
// checks every function, the canonicity of rebuilt functions, operations on
// the new order, variables created afterwards, and the release of all nodes.
TEST_F(BddReorder, EachMethodKeepsEveryFunction) {
  int orders_changed = 0;
  for (const Method& method : kMethods) {
    for (int round = 0; round < 4; ++round) {
      SCOPED_TRACE(std::string(method.name) + " round " + std::to_string(round));
      bdd_quit(m);
      m = bdd_init();
      x.clear();
      vars(kTableVars);
      std::vector<bdd> fs;
      std::vector<TruthTable> ts;
      for (int i = 0; i < 4; ++i) {
        ts.push_back(random_table(4 + static_cast<int>(rng() % 7)));
        fs.push_back(from_bits(ts.back(), kTableVars));
      }
      for (int i = 0; i < 8; ++i) {
        TruthTable t;
        fs.push_back(random_formula(6, &t));
        ts.push_back(t);
      }
      const std::vector<int> before_order = order();
      bdd_gc(m);
      const long before = bdd_total_size(m);

      bdd_dynamic_reordering(m, method.fn);
      bdd_reorder(m);
      ASSERT_EQ(bdd_debug_check(m), 0);
      EXPECT_LE(bdd_total_size(m), before);
      if (order() != before_order) ++orders_changed;
      for (std::size_t i = 0; i < fs.size(); ++i)
        EXPECT_TRUE(matches(fs[i], ts[i])) << "function " << i;
      for (int k = 0; k < kTableVars; ++k) {
        EXPECT_EQ(bdd_var_with_id(m, k + 1), x[k]);
        EXPECT_EQ(bdd_if_id(m, x[k]), k + 1);
        EXPECT_EQ(bdd_var_with_index(m, bdd_if_index(m, x[k])), x[k]);
      }

      // The unique tables are canonical on the new order.
      bdd again = from_bits(ts[0], kTableVars);
      EXPECT_EQ(again, fs[0]);
      bdd both = bdd_and(m, fs[4], fs[5]);
      EXPECT_TRUE(matches(both, ts[4] & ts[5]));
      bdd w = bdd_new_var_first(m);
      bdd v = bdd_new_var_after(m, x[3]);
      bdd wv = bdd_xor(m, w, v);
      bdd g = bdd_and(m, wv, fs[6]);
      EXPECT_EQ(bdd_debug_check(m), 0);
      EXPECT_TRUE(matches(fs[6], ts[6]));
      EXPECT_EQ(bdd_depends_on(m, g, w), 1);
      EXPECT_EQ(bdd_depends_on(m, g, v), 1);

      free_all({again, both, wv, g});
      free_all(fs);
      bdd_gc(m);
      EXPECT_EQ(bdd_total_size(m), baseline());
    }
  }
  EXPECT_GT(orders_changed, 0);
}

// Reordering a second time, with any method after any other, keeps the
// functions; each method ends with no more nodes than it started with.
TEST_F(BddReorder, MethodsInSequence) {
  vars(kTableVars);
  std::vector<bdd> fs;
  std::vector<TruthTable> ts;
  for (int i = 0; i < 10; ++i) {
    TruthTable t;
    fs.push_back(random_formula(7, &t));
    ts.push_back(t);
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (const Method& method : kMethods) {
      SCOPED_TRACE(method.name);
      bdd_gc(m);
      const long before = bdd_total_size(m);
      method.fn(m);  // called directly, outside bdd_reorder
      EXPECT_LE(bdd_total_size(m), before);
      ASSERT_EQ(bdd_debug_check(m), 0);
      for (std::size_t i = 0; i < fs.size(); ++i)
        EXPECT_TRUE(matches(fs[i], ts[i])) << "function " << i;
    }
  }
  free_all(fs);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), baseline());
}

// The sum of pairs with all x above all y needs about 2^(n+1) nodes; the
// interleaved order needs 2n + 1.
TEST_F(BddReorder, SiftingRepairsTheBadOrder) {
  for (int n = 8; n <= 12; ++n) {
    for (const Method& method : kMethods) {
      SCOPED_TRACE(std::string(method.name) + " n=" + std::to_string(n));
      bdd_quit(m);
      m = bdd_init();
      x.clear();
      vars(2 * n);
      bdd f = pairs_function(n);
      bdd_gc(m);
      const long before = size_of(f);
      EXPECT_GE(before, (1L << (n + 1)) - 1);
      bdd_dynamic_reordering(m, method.fn);
      bdd_reorder(m);
      ASSERT_EQ(bdd_debug_check(m), 0);
      const long after = size_of(f);
      EXPECT_LT(after, before);
      if (method.fn == bdd_reorder_sift) {
        EXPECT_LT(after, 3 * n + 2);
      }
      for (int k = 0; k < 300; ++k) {
        std::uint64_t a = rng() & ((std::uint64_t{1} << (2 * n)) - 1);
        if (k % 3 == 0) a &= rng() & rng();  // sparse: few pairs set
        ASSERT_EQ(eval_by_var(f, a), pairs_value(a, n) ? 1 : 0);
      }
      bdd_free(m, f);
      bdd_gc(m);
      EXPECT_EQ(bdd_total_size(m), baseline());
    }
  }
}

// With dynamic sifting on, the bad-order function never grows exponentially:
// collections during its construction trigger reorderings that restart the
// running operation.
TEST_F(BddReorder, DynamicReorderingDuringConstruction) {
  const int n = 16;
  for (const Method& method : kCountingMethods) {
    SCOPED_TRACE(method.name);
    bdd_quit(m);
    m = bdd_init();
    x.clear();
    vars(2 * n);
    dynamic_runs = 0;
    bdd_dynamic_reordering(m, method.fn);
    bdd f = pairs_function(n);
    EXPECT_GT(dynamic_runs, 0);
    EXPECT_EQ(bdd_debug_check(m), 0);
    EXPECT_EQ(nonzero_temps(), 0);
    for (int k = 0; k < 2000; ++k) {
      std::uint64_t a = rng() & ((std::uint64_t{1} << (2 * n)) - 1);
      if (k % 2 == 0) a &= rng() & rng();
      ASSERT_EQ(eval_by_var(f, a), pairs_value(a, n) ? 1 : 0);
    }
    // 2^17 - 1 nodes in the order of creation.
    EXPECT_LT(size_of(f), 2000);
    bdd_dynamic_reordering(m, nullptr);
    bdd_free(m, f);
    bdd_gc(m);
    EXPECT_EQ(bdd_total_size(m), baseline());
  }
}

// A collection limit forced low before every operation makes each one
// reorder and restart in its middle; every result must still be the function
// computed without reordering, compositions and substitutions included.
TEST_F(BddReorder, ForcedDynamicReorderingGivesTheSameResults) {
  vars(kTableVars);
  for (const Method& method : kCountingMethods) {
    SCOPED_TRACE(method.name);
    dynamic_runs = 0;
    bdd_dynamic_reordering(m, method.fn);
    std::vector<bdd> fs;
    std::vector<TruthTable> ts;
    // Built one connective at a time, each with the limit lowered.
    for (int i = 0; i < 12; ++i) {
      TruthTable t = random_table(6 + static_cast<int>(rng() % 5));
      bdd f = bdd_identity(m, bdd_zero(m));
      TruthTable tf;
      for (int j = 0; j < 6; ++j) {
        TruthTable tg;
        bdd g = random_formula(4, &tg);
        force_reorder();
        bdd next = j % 2 ? bdd_xor(m, f, g) : bdd_or(m, f, g);
        tf = j % 2 ? tf ^ tg : tf | tg;
        bdd_free(m, f);
        bdd_free(m, g);
        f = next;
      }
      bdd h = from_bits(t, kTableVars);
      force_reorder();
      bdd r = bdd_ite(m, f, h, h ^ 1u);
      fs.push_back(r);
      ts.push_back((tf & t) | (~tf & ~t));
      free_all({f, h});
    }
    EXPECT_GT(dynamic_runs, 5);
    for (std::size_t i = 0; i < fs.size(); ++i)
      EXPECT_TRUE(matches(fs[i], ts[i])) << "function " << i;

    EXPECT_EQ(bdd_debug_check(m), 0);
    bdd_dynamic_reordering(m, nullptr);
    free_all(fs);
    bdd_gc(m);
    EXPECT_EQ(bdd_total_size(m), baseline());
  }
}

// A method that surely changes the order: the top block goes to the bottom.
int rotations = 0;
void rotate(bdd_manager m) {
  ++rotations;
  var_block_* root = m->root_block;
  for (int i = 0; i + 1 < root->num_children; ++i)
    bdd_exchange_var_blocks(m, root, i);
}

// Operations that keep variable positions in their state must read them
// again when a reordering restarts them.
TEST_F(BddReorder, RestartedOperationsSeeTheNewOrder) {
  vars(kTableVars);
  std::vector<bdd> fs;
  std::vector<TruthTable> ts;
  for (int i = 0; i < 8; ++i) {
    ts.push_back(random_table(kTableVars));  // depends on every variable
    fs.push_back(from_bits(ts.back(), kTableVars));
  }
  bdd_dynamic_reordering(m, rotate);
  rotations = 0;
  int expected_rotations = 0;
  auto forced = [&]() {
    force_reorder();
    ++expected_rotations;
  };

  // f with x[k] replaced by g.
  for (int i = 0; i < 4; ++i) {
    const int k = static_cast<int>(rng() % kTableVars);
    const TruthTable& tf = ts[static_cast<std::size_t>(i)];
    const TruthTable& tg = ts[static_cast<std::size_t>(i) + 4];
    TruthTable want;
    for (std::size_t a = 0; a < want.size(); ++a) {
      std::size_t bit = std::size_t{1} << k;
      want[a] = tf[tg[a] ? (a | bit) : (a & ~bit)];
    }
    forced();
    bdd c =
        bdd_compose(m, fs[static_cast<std::size_t>(i)], x[k], fs[static_cast<std::size_t>(i) + 4]);
    EXPECT_TRUE(matches(c, want)) << "composition " << i;
    bdd_free(m, c);
  }

  // Substitution through an association that swaps x[0] and x[9].
  bdd pairs[] = {x[0], x[9], x[9], x[0], 0};
  int assoc = bdd_new_assoc(m, pairs);
  bdd_assoc(m, assoc);
  forced();
  bdd s = bdd_substitute(m, fs[2]);
  TruthTable want;
  for (std::size_t a = 0; a < want.size(); ++a) {
    std::size_t swapped = (a & ~std::size_t{0x201}) | ((a & 1u) << 9) | ((a >> 9) & 1u);
    want[a] = ts[2][swapped];
  }
  EXPECT_TRUE(matches(s, want));
  bdd_assoc(m, -1);
  bdd_free_assoc(m, assoc);

  // A cube of fs[3] naming all ten variables: a single assignment.
  bdd all[2 * kTableVars + 1] = {};
  for (int k = 0; k < kTableVars; ++k) {
    all[2 * k] = x[k];
    all[2 * k + 1] = bdd_one(m);
  }
  bdd_temp_assoc(m, all);
  forced();
  bdd cube = bdd_satisfy_support(m, fs[3]);
  EXPECT_EQ(bdd_satisfying_fraction(m, cube), 1.0 / 1024);
  bdd outside = bdd_implies(m, cube, fs[3]);
  EXPECT_EQ(outside, bdd_zero(m));
  bdd_temp_assoc(m, all + 2 * kTableVars);

  // Restriction to a care set: equal to f wherever the care set holds.
  forced();
  bdd r = bdd_reduce(m, fs[4], fs[5]);
  EXPECT_TRUE(matches(r, ts[4], ts[5]));
  forced();
  bdd both = bdd_and(m, fs[6], fs[7]);
  EXPECT_TRUE(matches(both, ts[6] & ts[7]));

  EXPECT_EQ(rotations, expected_rotations);
  EXPECT_EQ(bdd_debug_check(m), 0);
  free_all({s, cube, outside, r, both});
  free_all(fs);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), baseline());
}

// Puts the children first..first+count-1 of the root under one new block.
var_block_* group(bdd_manager m, int first, int count, int reorderable) {
  var_block_* root = m->root_block;
  var_block_* b = bdd_new_block(m, root->children[first]->first_index,
                                root->children[first + count - 1]->last_index, reorderable);
  b->children = static_cast<var_block_**>(
      mem_get_block(static_cast<std::size_t>(count) * sizeof(var_block_*)));
  for (int i = 0; i < count; ++i)
    b->children[i] = root->children[first + i];
  b->num_children = count;
  root->children[first] = b;
  for (int i = first + count; i < root->num_children; ++i)
    root->children[i - count + 1] = root->children[i];
  root->num_children -= count - 1;
  return b;
}

TEST_F(BddReorder, BlocksThatMayNotMoveKeepTheirPlace) {
  const int n = 6;
  vars(2 * n);
  bdd f = pairs_function(n);
  bdd_gc(m);

  // A root that may not be reordered: nothing moves.
  bdd_var_block_reorderable(m, bdd_root_block(m), 0);
  std::vector<int> start = order();
  const long size = bdd_total_size(m);
  for (const Method& method : kMethods) {
    method.fn(m);
    EXPECT_EQ(order(), start) << method.name;
    EXPECT_EQ(bdd_total_size(m), size);
  }

  // x[0..3) as one block whose children may not move: sifting moves the
  // block as a whole and keeps x0, x1, x2 together and in this order.
  bdd_var_block_reorderable(m, bdd_root_block(m), 1);
  var_block_* fixed = group(m, 0, 3, 0);
  ASSERT_EQ(bdd_debug_check(m), 0);
  for (const Method& method : kMethods) {
    method.fn(m);
    ASSERT_EQ(bdd_debug_check(m), 0);
    const int first = bdd_if_index(m, x[0]);
    EXPECT_EQ(fixed->first_index, first) << method.name;
    EXPECT_EQ(bdd_if_index(m, x[1]), first + 1) << method.name;
    EXPECT_EQ(bdd_if_index(m, x[2]), first + 2) << method.name;
  }
  EXPECT_NE(order(), start);

  // Its children may move once allowed, while the root may not: only the
  // three places of the block change hands.
  bdd_var_block_reorderable(m, bdd_root_block(m), 0);
  bdd_var_block_reorderable(m, fixed, 1);
  std::vector<int> outside = order();
  const int first = fixed->first_index;
  bdd_reorder_sift(m);
  ASSERT_EQ(bdd_debug_check(m), 0);
  std::vector<int> now = order();
  for (int i = 0; i < 2 * n; ++i) {
    if (i >= first && i <= first + 2) continue;
    EXPECT_EQ(now[static_cast<std::size_t>(i)], outside[static_cast<std::size_t>(i)]);
  }
  for (std::uint64_t a = 0; a < 4096; a += 7)
    ASSERT_EQ(eval_by_var(f, a), pairs_value(a, n) ? 1 : 0);
  bdd_free(m, f);
}

// The ranges of a block tree, depth first, a child's list in brackets.
void describe_blocks(const var_block_* b, std::string& out) {
  out += std::to_string(b->first_index) + "-" + std::to_string(b->last_index);
  if (b->num_children == 0) return;
  out += "[";
  for (int i = 0; i < b->num_children; ++i) {
    out += " ";
    describe_blocks(b->children[i], out);
  }
  out += " ]";
}

// Appending at the end takes a path of its own; it must leave the variable
// maps and the block tree as the general insertion after the last variable
// does, whether the tail is a leaf or a group, after an insertion in front,
// and across the growth of the variable arrays.
TEST(BddNewVarLast, AppendsAsAnInsertionAfterTheLastVariable) {
  std::string trees[2];
  std::vector<int> ids[2];
  for (int way = 0; way < 2; ++way) {
    bdd_manager m = bdd_init();
    auto append = [&](int count) {
      for (int i = 0; i < count; ++i) {
        if (way == 0 || m->var_count == 0) {
          bdd_new_var_last(m);
        } else {
          bdd_new_var_after(m, bdd_var_with_index(m, m->var_count - 1));
        }
      }
    };
    append(5);
    bdd_new_var_first(m);
    append(1);
    group(m, 4, 3, 1);  // the last three variables under one block
    append(2);
    group(m, 0, 2, 0);
    append(300);
    for (int i = 0; i < m->var_count; ++i)
      ids[way].push_back(bdd_node(bdd_var_with_index(m, i))->id);
    describe_blocks(m->root_block, trees[way]);
    EXPECT_EQ(bdd_debug_check(m), 0);
    bdd_quit(m);
  }
  EXPECT_EQ(trees[0], trees[1]);
  EXPECT_EQ(ids[0], ids[1]);
}

TEST_F(BddReorder, WithoutMethodReorderOnlyCollects) {
  vars(8);
  bdd keep = pairs_function(4);
  bdd garbage = bdd_xor(m, keep, x[7]);
  bdd_free(m, garbage);
  const std::vector<int> start = order();
  const long gcs = m->gc_count;
  const long before = bdd_total_size(m);
  bdd_reorder(m);
  EXPECT_EQ(order(), start);
  EXPECT_EQ(m->gc_count, gcs + 1);
  const long collected = bdd_total_size(m);
  EXPECT_LT(collected, before);
  bdd_gc(m);
  EXPECT_EQ(bdd_total_size(m), collected);  // nothing was left to collect
  bdd_free(m, keep);
}

// Associations name variables by id; their last indexes follow the
// variables, and substitution works on the new order.
TEST_F(BddReorder, AssociationsFollowTheirVariables) {
  const int n = 5;
  vars(2 * n);
  bdd f = pairs_function(n);
  bdd lone[] = {x[n], x[1], 0};  // y0 := x1, last index n
  int a1 = bdd_new_assoc(m, lone);
  bdd both[] = {x[1], x[n + 1], x[n + 1], x[1], 0};  // x1 and y1 swapped
  int a2 = bdd_new_assoc(m, both);
  bdd temp[] = {x[1], bdd_one(m), 0};
  bdd_temp_assoc(m, temp);
  for (const Method& method : kMethods) {
    method.fn(m);
    ASSERT_EQ(bdd_debug_check(m), 0) << method.name;  // checks every last index
  }
  ASSERT_NE(bdd_if_index(m, x[n]), n);
  ASSERT_NE(bdd_if_index(m, x[1]), 1);
  EXPECT_EQ(m->temp_assoc.last_index, bdd_if_index(m, x[1]));

  bdd_assoc(m, a2);
  bdd s = bdd_substitute(m, f);
  EXPECT_EQ(s, f);  // f is symmetric in each pair
  bdd_assoc(m, a1);
  bdd t = bdd_substitute(m, f);
  for (std::uint64_t a = 0; a < 1024; ++a) {
    std::uint64_t moved = (a & ~(std::uint64_t{1} << n)) | (((a >> 1) & 1u) << n);
    ASSERT_EQ(eval_by_var(t, a), pairs_value(moved, n) ? 1 : 0);
  }
  bdd_assoc(m, -1);
  bdd_free_assoc(m, a1);
  bdd_free_assoc(m, a2);
  free_all({f, s, t});
}

TEST_F(BddReorder, HybridFactorFollowsTheSavings) {
  const int n = 9;
  vars(2 * n);
  bdd f = pairs_function(n);
  bdd_dynamic_reordering(m, bdd_reorder_hybrid);
  ASSERT_NE(m->reorder_data, nullptr);
  EXPECT_EQ(*static_cast<double*>(m->reorder_data), 2.0);
  bdd_gc(m);
  const double before = static_cast<double>(bdd_total_size(m));
  bdd_reorder(m);
  const double after = static_cast<double>(bdd_total_size(m));
  EXPECT_LT(after, before);
  EXPECT_DOUBLE_EQ(*static_cast<double*>(m->reorder_data), 1.0 + 2.0 * (before - after) / before);
  bdd_dynamic_reordering(m, bdd_reorder_sift);
  EXPECT_EQ(m->reorder_data, nullptr);
  bdd_free(m, f);
}

// A method that takes the adjacent-pairs order (x0 x1, x2 x3, ...) to the worst
// one, every even variable above every odd one, by exchanges alone; it notes
// the size of the parent count array before and after, and the highest entry
// a node then needs.
std::uint32_t slots_before = 0;
std::uint32_t slots_after = 0;
std::uint32_t highest_slot = 0;
void separate_pairs(bdd_manager m) {
  slots_before = m->parent_slots;
  auto key = [m](int index) {
    const int k = m->id_of_index[index] - 1;  // x[k] has id k + 1
    return (k % 2) * m->var_count + k / 2;
  };
  for (bool moved = true; moved;) {
    moved = false;
    for (int i = 0; i + 1 < m->var_count; ++i) {
      if (key(i) > key(i + 1)) {
        bdd_exchange_vars(m, i);
        moved = true;
      }
    }
  }
  slots_after = m->parent_slots;
  highest_slot = 0;
  for (int id = 0; id <= m->var_count; ++id) {
    const var_table* vt = m->unique_tables[id];
    const std::uint32_t* heads = bdd_table_heads(vt);
    for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
      for (std::uint32_t off = heads[b]; off != 0; off = bdd_node_at(off)->next)
        highest_slot = std::max(highest_slot, off >> 4);
    }
  }
}

TEST_F(BddReorder, ParentCountsFollowTheNodesMadeDuringTheReordering) {
  const int n = 12;
  vars(2 * n);
  for (int k = 0; k < 2 * n; ++k)
    ASSERT_EQ(bdd_node(x[k])->id, k + 1);
  bdd f = bdd_identity(m, bdd_zero(m));
  for (int i = 0; i < n; ++i) {
    bdd p = bdd_and(m, x[2 * i], x[2 * i + 1]);
    bdd next = bdd_or(m, f, p);
    bdd_free(m, f);
    bdd_free(m, p);
    f = next;
  }
  auto value = [](std::uint64_t a) { return (a & (a >> 1) & 0x555555u) != 0; };
  auto check_function = [&](const char* when) {
    std::mt19937_64 draw(5);
    for (int round = 0; round < 4000; ++round) {
      const std::uint64_t a = draw() & 0xFFFFFFu;
      ASSERT_EQ(eval_by_var(f, a), value(a) ? 1 : 0) << when << ", assignment " << a;
    }
  };
  bdd_gc(m);
  const long small = bdd_total_size(m);

  // Thousands of nodes are made while the frame is open; in a fresh process
  // they fill pools beyond those the array was sized for at the start.
  bdd_dynamic_reordering(m, separate_pairs);
  bdd_reorder(m);
  bdd_dynamic_reordering(m, nullptr);
  EXPECT_GT(bdd_total_size(m), 100 * small);
  EXPECT_GT(slots_after, highest_slot);
  EXPECT_EQ(m->parent_counts, nullptr);
  EXPECT_EQ(bdd_debug_check(m), 0);
  check_function("after the exchanges");

  // Sifting frees most of them again, each when its last parent edge goes.
  bdd_reorder_sift(m);
  bdd_gc(m);
  EXPECT_LT(bdd_total_size(m), 2 * small);
  EXPECT_EQ(bdd_debug_check(m), 0);
  check_function("after sifting");
  bdd_free(m, f);
}

// The order count grows with every move of an existing variable, and only then.
void exchange_first_two(bdd_manager m) {
  bdd_exchange_vars(m, 0);
}

TEST_F(BddReorder, OrderChangesCountTheMovesOfExistingVariables) {
  vars(3);
  EXPECT_EQ(bdd_order_changes(m), 0);
  bdd_new_var_last(m);
  EXPECT_EQ(bdd_order_changes(m), 0);
  bdd_dynamic_reordering(m, exchange_first_two);
  bdd_reorder(m);
  bdd_dynamic_reordering(m, nullptr);
  EXPECT_EQ(bdd_node(bdd_var_with_index(m, 0))->id, 2);
  const long after_exchange = bdd_order_changes(m);
  EXPECT_GT(after_exchange, 0);
  bdd_reorder(m);  // no method: only a collection
  EXPECT_EQ(bdd_order_changes(m), after_exchange);
  bdd_new_var_first(m);
  EXPECT_GT(bdd_order_changes(m), after_exchange);
}

// A method that breaks the count invariant is caught when the counts are taken back.
void lose_a_parent(bdd_manager m) {
  for (int i = 0; i < m->var_count; ++i) {
    var_table* vt = m->unique_tables[m->id_of_index[i]];
    const std::uint32_t* heads = bdd_table_heads(vt);
    for (std::int32_t b = 0; b < vt->bucket_count; ++b) {
      for (std::uint32_t off = heads[b]; off != 0; off = bdd_node_at(off)->next) {
        bdd_* n = bdd_node_at(off);
        if (n->refs == 0 && n->temps == 0 && bdd_parents(m, n) == 1) {
          bdd_parents(m, n) = 0;
          return;
        }
      }
    }
  }
}

TEST_F(BddReorder, BrokenCountsAreFatal) {
  vars(6);
  bdd f = pairs_function(3);
  bdd_dynamic_reordering(m, lose_a_parent);
  EXPECT_BDD_FATAL(bdd_reorder(m), "bdd_nuke_internal_references: what happened?");
  bdd_dynamic_reordering(m, nullptr);
  bdd_free(m, f);
}

}  // namespace
