// Randomized properties of the BDD engine, through its public interface only:
// connectives and derived operations against truth tables, canonicity,
// reference counts, and results that must not change when a collection or a
// node limit interrupts an operation. Every random source has a fixed seed.
#include <gtest/gtest.h>

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "bdd/bdd.h"
#include "bdd/bdd_debug.h"

namespace {

// Truth tables cover the first 10 variables; a function of fewer variables
// simply ignores the others.
constexpr int kTableVars = 10;
using TruthTable = std::bitset<1u << kTableVars>;

const TruthTable& literal_table(int index) {
  static const std::vector<TruthTable> tables = [] {
    std::vector<TruthTable> t(kTableVars);
    for (int i = 0; i < kTableVars; ++i) {
      for (std::size_t a = 0; a < t[i].size(); ++a)
        t[i][a] = (a >> i) & 1u;
    }
    return t;
  }();
  return tables[index];
}

TruthTable constant_table(bool value) {
  TruthTable t;
  if (value) t.set();
  return t;
}

// f with the variable at `index` fixed to `value`.
TruthTable restrict_table(const TruthTable& f, int index, bool value) {
  TruthTable r;
  const std::size_t bit = std::size_t{1} << index;
  for (std::size_t a = 0; a < r.size(); ++a)
    r[a] = f[value ? (a | bit) : (a & ~bit)];
  return r;
}

bool table_depends_on(const TruthTable& f, int index) {
  return restrict_table(f, index, true) != restrict_table(f, index, false);
}

bool table_implies(const TruthTable& f, const TruthTable& g) {
  return (f & ~g).none();
}

// Hexadecimal text of the first 2^nvars entries, highest assignment first.
std::string hex(const TruthTable& t, int nvars) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  const int entries = 1 << nvars;
  for (int a = entries - 4; a >= 0; a -= 4)
    s += kDigits[t[a] | t[a + 1] << 1 | t[a + 2] << 2 | t[a + 3] << 3];
  return s.empty() ? std::to_string(t[0] | t[1] << 1) : s;
}

enum class Op { kVar, kZero, kOne, kAnd, kOr, kXor, kNand, kNor, kXnor, kNot, kIte, kIdentity };
constexpr Op kConnectives[] = {Op::kAnd,  Op::kOr,  Op::kXor, Op::kNand,    Op::kNor,
                               Op::kXnor, Op::kNot, Op::kIte, Op::kIdentity};

const char* op_name(Op op) {
  switch (op) {
    case Op::kVar:
      return "var";
    case Op::kZero:
      return "0";
    case Op::kOne:
      return "1";
    case Op::kAnd:
      return "and";
    case Op::kOr:
      return "or";
    case Op::kXor:
      return "xor";
    case Op::kNand:
      return "nand";
    case Op::kNor:
      return "nor";
    case Op::kXnor:
      return "xnor";
    case Op::kNot:
      return "not";
    case Op::kIte:
      return "ite";
    case Op::kIdentity:
      return "identity";
  }
  return "?";
}

int arity(Op op) {
  switch (op) {
    case Op::kNot:
    case Op::kIdentity:
      return 1;
    case Op::kIte:
      return 3;
    case Op::kVar:
    case Op::kZero:
    case Op::kOne:
      return 0;
    default:
      return 2;
  }
}

// One connective on handles; the result carries one external reference.
bdd apply(bdd_manager m, Op op, bdd f, bdd g, bdd h) {
  switch (op) {
    case Op::kAnd:
      return bdd_and(m, f, g);
    case Op::kOr:
      return bdd_or(m, f, g);
    case Op::kXor:
      return bdd_xor(m, f, g);
    case Op::kNand:
      return bdd_nand(m, f, g);
    case Op::kNor:
      return bdd_nor(m, f, g);
    case Op::kXnor:
      return bdd_xnor(m, f, g);
    case Op::kNot:
      return bdd_not(m, f);
    case Op::kIte:
      return bdd_ite(m, f, g, h);
    case Op::kIdentity:
      return bdd_identity(m, f);
    default:
      return 0;
  }
}

TruthTable apply(Op op, const TruthTable& f, const TruthTable& g, const TruthTable& h) {
  switch (op) {
    case Op::kAnd:
      return f & g;
    case Op::kOr:
      return f | g;
    case Op::kXor:
      return f ^ g;
    case Op::kNand:
      return ~(f & g);
    case Op::kNor:
      return ~(f | g);
    case Op::kXnor:
      return ~(f ^ g);
    case Op::kNot:
      return ~f;
    case Op::kIte:
      return (f & g) | (~f & h);
    case Op::kIdentity:
      return f;
    default:
      return TruthTable();
  }
}

// A Boolean expression tree over variable indexes.
struct Expr {
  Op op = Op::kZero;
  int var = 0;
  std::vector<Expr> kids;
};

Expr leaf(Op op, int var = 0) {
  Expr e;
  e.op = op;
  e.var = var;
  return e;
}

Expr node(Op op, std::vector<Expr> kids) {
  Expr e;
  e.op = op;
  e.kids = std::move(kids);
  return e;
}

int pick(std::mt19937& rng, int n) {
  return static_cast<int>(rng() % static_cast<unsigned>(n));
}

Expr random_expr(std::mt19937& rng, int nvars, int depth) {
  if (depth == 0 || pick(rng, 10) == 0) {
    if (pick(rng, 20) == 0) return leaf(pick(rng, 2) ? Op::kOne : Op::kZero);
    return leaf(Op::kVar, pick(rng, nvars));
  }
  Expr e = node(kConnectives[pick(rng, 9)], {});
  for (int i = 0; i < arity(e.op); ++i)
    e.kids.push_back(random_expr(rng, nvars, depth - 1));
  return e;
}

std::string to_string(const Expr& e) {
  if (e.op == Op::kVar) return "x" + std::to_string(e.var);
  if (e.kids.empty()) return op_name(e.op);
  std::string s = std::string(op_name(e.op)) + "(";
  for (std::size_t i = 0; i < e.kids.size(); ++i)
    s += (i ? ", " : "") + to_string(e.kids[i]);
  return s + ")";
}

TruthTable eval(const Expr& e) {
  switch (e.op) {
    case Op::kVar:
      return literal_table(e.var);
    case Op::kZero:
      return constant_table(false);
    case Op::kOne:
      return constant_table(true);
    default:
      break;
  }
  TruthTable k[3];
  for (std::size_t i = 0; i < e.kids.size(); ++i)
    k[i] = eval(e.kids[i]);
  return apply(e.op, k[0], k[1], k[2]);
}

// The same function written with other connectives.
Expr rewrite(const Expr& e) {
  if (e.kids.empty()) return e;
  std::vector<Expr> k;
  for (const Expr& kid : e.kids)
    k.push_back(rewrite(kid));
  auto neg = [](Expr x) { return node(Op::kNot, {std::move(x)}); };
  switch (e.op) {
    case Op::kAnd:
      return node(Op::kNor, {neg(k[0]), neg(k[1])});
    case Op::kOr:
      return node(Op::kNand, {neg(k[1]), neg(k[0])});
    case Op::kXor:
      return node(Op::kIte, {k[0], neg(k[1]), k[1]});
    case Op::kNand:
      return neg(node(Op::kAnd, {k[1], k[0]}));
    case Op::kNor:
      return node(Op::kAnd, {neg(k[0]), neg(k[1])});
    case Op::kXnor:
      return node(Op::kXor, {k[0], neg(k[1])});
    case Op::kNot:
      return node(Op::kXor, {k[0], leaf(Op::kOne)});
    case Op::kIte:
      return node(Op::kOr, {node(Op::kAnd, {k[0], k[1]}), node(Op::kAnd, {neg(k[0]), k[2]})});
    case Op::kIdentity:
      return neg(neg(k[0]));
    default:
      return e;
  }
}

// Builds e; null when an operation was abandoned. Null operands are passed on
// to the engine, which must answer null.
bdd build(bdd_manager m, const std::vector<bdd>& vars, const Expr& e) {
  switch (e.op) {
    case Op::kVar:
      return vars[e.var];
    case Op::kZero:
      return bdd_zero(m);
    case Op::kOne:
      return bdd_one(m);
    default:
      break;
  }
  bdd k[3] = {0, 0, 0};
  for (std::size_t i = 0; i < e.kids.size(); ++i)
    k[i] = build(m, vars, e.kids[i]);
  bool any_null = false;
  for (std::size_t i = 0; i < e.kids.size(); ++i)
    any_null = any_null || k[i] == 0;
  bdd r = apply(m, e.op, k[0], k[1], k[2]);
  if (any_null) {
    EXPECT_EQ(r, 0u) << op_name(e.op) << " with a null operand";
  }
  for (bdd h : k)
    bdd_free(m, h);
  return r;
}

bool is_permanent(bdd_manager m, bdd f) {
  int type = bdd_type(m, f);
  return type >= BDD_TYPE_ZERO && type <= BDD_TYPE_NEGVAR;
}

bdd regular(bdd f) {
  return f & ~1u;
}

// Graph of f written out independently of handle values: (index, then, else)
// per node in depth-first order, then the root; a reference is number * 2 +
// complement bit, with 0 standing for `one`. Equal shapes in two engines with
// the same variable order mean equal functions. The walk also checks the
// canonical form: stored then-edges regular, no node with equal children,
// children below their parent in the order.
struct Shape {
  std::vector<long> words;
  long nodes = 0;
  bool operator==(const Shape& o) const { return words == o.words; }
};

long shape_ref(bdd_manager m, bdd f, std::unordered_map<bdd, long>& seen, Shape& out) {
  if (regular(f) == bdd_one(m)) return f & 1u;
  auto it = seen.find(regular(f));
  if (it == seen.end()) {
    bdd r = regular(f);
    int index = bdd_if_index(m, r);
    bdd t = bdd_then(m, r);
    bdd e = bdd_else(m, r);
    EXPECT_EQ(t & 1u, 0u) << "complemented then-edge under index " << index;
    EXPECT_NE(t, e) << "node with equal children at index " << index;
    for (bdd child : {t, e}) {
      if (bdd_if_index(m, child) >= 0) {
        EXPECT_GT(bdd_if_index(m, child), index);
      }
    }
    long tr = shape_ref(m, t, seen, out);
    long er = shape_ref(m, e, seen, out);
    bdd_free(m, t);
    bdd_free(m, e);
    long number = ++out.nodes;
    seen.emplace(r, number);
    out.words.insert(out.words.end(), {index, tr, er});
    return number * 2 + (f & 1u);
  }
  return it->second * 2 + (f & 1u);
}

Shape shape(bdd_manager m, bdd f) {
  Shape out;
  std::unordered_map<bdd, long> seen;
  out.words.push_back(shape_ref(m, f, seen, out));
  return out;
}

TruthTable table_rec(bdd_manager m, bdd f, std::unordered_map<bdd, TruthTable>& memo) {
  if (f == bdd_one(m)) return constant_table(true);
  if (f == bdd_zero(m)) return constant_table(false);
  auto it = memo.find(f);
  if (it != memo.end()) return it->second;
  int index = bdd_if_index(m, f);
  EXPECT_LT(index, kTableVars);
  bdd t = bdd_then(m, f);
  bdd e = bdd_else(m, f);
  TruthTable x = literal_table(index);
  TruthTable r = (x & table_rec(m, t, memo)) | (~x & table_rec(m, e, memo));
  bdd_free(m, t);
  bdd_free(m, e);
  memo.emplace(f, r);
  return r;
}

// Truth table of f, read through the public cofactors.
TruthTable table(bdd_manager m, bdd f) {
  std::unordered_map<bdd, TruthTable> memo;
  return table_rec(m, f, memo);
}

// A counter of the statistics report, or -1 when the line is missing.
long stat(bdd_manager m, const char* label) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr) return -1;
  bdd_stats(m, f);
  std::rewind(f);
  char line[256];
  long value = -1;
  const std::size_t n = std::strlen(label);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, label, n) == 0 && line[n] == ':') value = std::atol(line + n + 1);
  }
  std::fclose(f);
  return value;
}

class BddProperty : public ::testing::Test {
 protected:
  struct Engine {
    bdd_manager m = nullptr;
    std::vector<bdd> vars;
    std::vector<bdd> held;  // external references given back at the end
  };

  Engine& new_engine(int nvars) {
    engines_.emplace_back();
    Engine& e = engines_.back();
    e.m = bdd_init();
    for (int i = 0; i < nvars; ++i)
      e.vars.push_back(bdd_new_var_last(e.m));
    return e;
  }

  // Gives back every held reference and checks that a collection leaves only
  // the constant and the variables, then ends the engine.
  void retire(Engine& e) {
    if (e.m == nullptr) return;
    EXPECT_EQ(bdd_debug_check(e.m), 0);
    for (bdd f : e.held)
      bdd_free(e.m, f);
    e.held.clear();
    bdd_gc(e.m);
    EXPECT_EQ(bdd_debug_check(e.m), 0);
    EXPECT_EQ(bdd_total_size(e.m), 1 + static_cast<long>(e.vars.size()))
        << "nodes left after every reference was given back";
    bdd_quit(e.m);
    e.m = nullptr;
  }

  void TearDown() override {
    for (Engine& e : engines_)
      retire(e);
  }

  static bdd hold(Engine& e, bdd f) {
    e.held.push_back(f);
    return f;
  }

  // Builds a random expression, checks it against its own evaluation and keeps it.
  struct Sample {
    bdd f;
    TruthTable t;
  };
  static Sample random_function(Engine& e, std::mt19937& rng, int nvars, int depth) {
    Expr x = random_expr(rng, nvars, depth);
    Sample s{hold(e, build(e.m, e.vars, x)), eval(x)};
    EXPECT_EQ(table(e.m, s.f), s.t) << to_string(x);
    return s;
  }

  std::deque<Engine> engines_;
};

// ---- Connectives and canonicity ----

TEST_F(BddProperty, ConnectivesFollowTruthTablesAndEqualFunctionsShareAHandle) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(1234);
  struct Entry {
    bdd f;
    TruthTable t;
  };
  std::vector<Entry> pool;
  std::unordered_map<TruthTable, bdd> by_table;
  auto remember = [&](bdd f, const TruthTable& t) {
    pool.push_back({f, t});
    by_table.emplace(t, f);
  };
  remember(bdd_one(e.m), constant_table(true));
  remember(bdd_zero(e.m), constant_table(false));
  for (int i = 0; i < kTableVars; ++i)
    remember(e.vars[i], literal_table(i));
  const std::size_t permanent = pool.size();

  for (int step = 0; step < 3000; ++step) {
    Op op = kConnectives[pick(rng, 9)];
    const Entry a = pool[pick(rng, static_cast<int>(pool.size()))];
    const Entry b = pool[pick(rng, static_cast<int>(pool.size()))];
    const Entry c = pool[pick(rng, static_cast<int>(pool.size()))];
    bdd r = apply(e.m, op, a.f, b.f, c.f);
    // No temporary count or mark may outlive a public operation (checked on a
    // sample of the steps: the full check walks every node and cache slot).
    if (step % 25 == 0) {
      ASSERT_EQ(bdd_debug_check(e.m), 0) << "after " << op_name(op);
    }
    TruthTable expected = apply(op, a.t, b.t, c.t);
    ASSERT_NE(r, 0u);
    ASSERT_EQ(table(e.m, r), expected)
        << op_name(op) << "\n f = " << hex(a.t, kTableVars) << "\n g = " << hex(b.t, kTableVars)
        << "\n h = " << hex(c.t, kTableVars);
    auto known = by_table.find(expected);
    if (known != by_table.end()) {
      EXPECT_EQ(r, known->second) << "two handles for one function after " << op_name(op);
      bdd_free(e.m, r);
    } else {
      remember(r, expected);
    }
    if (pool.size() > 300) {
      std::size_t victim = permanent + pick(rng, static_cast<int>(pool.size() - permanent));
      by_table.erase(pool[victim].t);
      bdd_free(e.m, pool[victim].f);
      pool[victim] = pool.back();
      pool.pop_back();
    }
  }
  for (std::size_t i = permanent; i < pool.size(); ++i)
    hold(e, pool[i].f);
}

TEST_F(BddProperty, RewrittenExpressionsGiveIdenticalHandles) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(77);
  for (int i = 0; i < 300; ++i) {
    Expr x = random_expr(rng, kTableVars, 6);
    Expr y = rewrite(x);
    bdd f = hold(e, build(e.m, e.vars, x));
    bdd g = hold(e, build(e.m, e.vars, y));
    ASSERT_EQ(f, g) << to_string(x) << "\n  vs " << to_string(y);
    EXPECT_EQ(table(e.m, f), eval(x)) << to_string(x);
  }
}

TEST_F(BddProperty, NegationFlipsOneBitAndCreatesNoNode) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(5);
  for (int i = 0; i < 100; ++i) {
    Sample s = random_function(e, rng, kTableVars, 6);
    long before = bdd_total_size(e.m);
    bdd n = bdd_not(e.m, s.f);
    bdd nn = bdd_not(e.m, n);
    EXPECT_EQ(bdd_total_size(e.m), before);
    EXPECT_EQ(n, s.f ^ 1u);
    EXPECT_EQ(nn, s.f);
    EXPECT_EQ(table(e.m, n), ~s.t);
    bdd x = bdd_xor(e.m, s.f, bdd_one(e.m));
    EXPECT_EQ(x, n);
    for (bdd h : {n, nn, x})
      bdd_free(e.m, h);
  }
  bdd neg = bdd_not(e.m, e.vars[3]);
  EXPECT_EQ(bdd_type(e.m, neg), BDD_TYPE_NEGVAR);
  EXPECT_EQ(bdd_not(e.m, bdd_one(e.m)), bdd_zero(e.m));
}

// ---- References and collection ----

TEST_F(BddProperty, FreeReturnsTheCountLeftOnTheNode) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(99);
  std::vector<bdd> handles(e.vars.begin(), e.vars.end());
  std::unordered_map<bdd, int> count;  // external references we hold, per node
  const long start = bdd_total_size(e.m);
  auto take = [&](bdd f) {
    handles.push_back(f);
    if (!is_permanent(e.m, f)) ++count[regular(f)];
  };
  for (int step = 0; step < 4000; ++step) {
    int what = pick(rng, 10);
    if (what < 4 || handles.size() < 4) {
      Op op = kConnectives[pick(rng, 9)];
      auto any = [&] { return handles[pick(rng, static_cast<int>(handles.size()))]; };
      bdd f = any(), g = any(), h = any();
      take(apply(e.m, op, f, g, h));
    } else if (what == 4) {
      bdd f = handles[pick(rng, static_cast<int>(handles.size()))];
      bdd_unfree(e.m, f);
      take(f);
    } else if (handles.size() > e.vars.size()) {
      std::size_t i = e.vars.size() + pick(rng, static_cast<int>(handles.size() - e.vars.size()));
      bdd f = handles[i];
      handles[i] = handles.back();
      handles.pop_back();
      int expected = is_permanent(e.m, f) ? 255 : --count[regular(f)];
      ASSERT_EQ(bdd_free(e.m, f), expected) << "handle " << f;
    }
    if (step % 500 == 0) {
      bdd_gc(e.m);
      ASSERT_EQ(bdd_debug_check(e.m), 0) << "after step " << step;
    }
  }
  for (std::size_t i = e.vars.size(); i < handles.size(); ++i)
    bdd_free(e.m, handles[i]);
  bdd_gc(e.m);
  EXPECT_EQ(bdd_total_size(e.m), start);
  EXPECT_EQ(bdd_free(e.m, bdd_one(e.m)), 255);
  EXPECT_EQ(bdd_free(e.m, bdd_zero(e.m)), 255);
  EXPECT_EQ(bdd_free(e.m, e.vars[0]), 255);
  EXPECT_EQ(bdd_free(e.m, 0), 0);
}

TEST_F(BddProperty, ExplicitCollectionsKeepEveryReferencedFunction) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(2024);
  std::vector<Sample> live;
  for (int round = 0; round < 40; ++round) {
    for (int i = 0; i < 10; ++i) {
      Expr x = random_expr(rng, kTableVars, 7);
      live.push_back({build(e.m, e.vars, x), eval(x)});
    }
    for (int i = 0; i < 6; ++i) {
      std::size_t victim = pick(rng, static_cast<int>(live.size()));
      bdd_free(e.m, live[victim].f);
      live[victim] = live.back();
      live.pop_back();
    }
    bdd_gc(e.m);
    ASSERT_EQ(bdd_debug_check(e.m), 0) << "after collection " << round;
    for (const Sample& s : live)
      ASSERT_EQ(table(e.m, s.f), s.t) << "after collection " << round;
  }
  for (const Sample& s : live)
    hold(e, s.f);
}

// Random trees over 14 variables, large enough that building all of them in
// one engine passes the collection threshold many times, each with the shape
// it has when built alone in an engine holding nothing else. Trees whose
// lone build still needs a collection are left out, so that every reference
// result was computed without one.
struct Cases {
  std::vector<Expr> trees;
  std::vector<Shape> shapes;
};

Cases big_trees(unsigned seed, std::size_t count) {
  constexpr int kVars = 14;
  std::mt19937 rng(seed);
  Cases cases;
  bdd_manager m = bdd_init();
  std::vector<bdd> vars;
  for (int i = 0; i < kVars; ++i)
    vars.push_back(bdd_new_var_last(m));
  while (cases.trees.size() < count) {
    Expr x = random_expr(rng, kVars, 10);
    long collections = stat(m, "Number of garbage collections");
    bdd f = build(m, vars, x);
    if (stat(m, "Number of garbage collections") == collections) {
      cases.trees.push_back(x);
      cases.shapes.push_back(shape(m, f));
    }
    bdd_free(m, f);
    bdd_gc(m);
  }
  EXPECT_EQ(bdd_total_size(m), 1 + kVars);
  bdd_quit(m);
  return cases;
}

TEST_F(BddProperty, CollectionsInsideOperationsDoNotChangeResults) {
  const Cases cases = big_trees(31337, 300);  // past the first gc limit several times
  const std::vector<Expr>& trees = cases.trees;
  const std::vector<Shape>& expected = cases.shapes;
  Engine& e = new_engine(14);
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < trees.size(); ++i) {
    bdd f = build(e.m, e.vars, trees[i]);
    ASSERT_NE(f, 0u);
    ASSERT_EQ(shape(e.m, f), expected[i]) << "tree " << i << ": " << to_string(trees[i]);
    if (i % 3 == 0) {
      hold(e, f);
      kept.push_back(i);
    } else {
      bdd_free(e.m, f);
    }
    if (i % 10 == 0) {
      ASSERT_EQ(bdd_debug_check(e.m), 0) << "after tree " << i;
    }
  }
  EXPECT_GT(stat(e.m, "Number of garbage collections"), 2) << "no collection was triggered";
  for (std::size_t k = 0; k < kept.size(); ++k)
    EXPECT_EQ(shape(e.m, e.held[k]), expected[kept[k]]) << "kept tree " << kept[k];
}

TEST_F(BddProperty, NodeLimitAbandonsOperationsAndRetryGivesTheSameResult) {
  const Cases cases = big_trees(4242, 60);
  const std::vector<Expr>& trees = cases.trees;
  const std::vector<Shape>& expected = cases.shapes;
  Engine& e = new_engine(14);
  // Enough live nodes that a collection cannot bring the count under the limit.
  std::size_t next = 0;
  for (; next < trees.size(); ++next) {
    hold(e, build(e.m, e.vars, trees[next]));
    bdd_gc(e.m);
    if (bdd_total_size(e.m) > 4000) break;
  }
  ASSERT_GT(bdd_total_size(e.m), 4000) << "trees too small to fill the engine";
  const std::size_t held_trees = ++next;
  EXPECT_EQ(bdd_node_limit(e.m, 3000), 0);
  EXPECT_EQ(bdd_overflow(e.m), 0);
  int abandoned = 0;
  for (std::size_t i = next; i < trees.size(); ++i) {
    bdd f = build(e.m, e.vars, trees[i]);
    if (f == 0) {
      ++abandoned;
      EXPECT_EQ(bdd_overflow(e.m), 1) << "tree " << i;
      EXPECT_EQ(bdd_overflow(e.m), 0);
      EXPECT_EQ(bdd_and(e.m, 0, e.vars[0]), 0u);
      EXPECT_EQ(bdd_node_limit(e.m, 0), 3000);
      f = build(e.m, e.vars, trees[i]);
      ASSERT_NE(f, 0u) << "no limit, yet tree " << i << " failed";
      EXPECT_EQ(bdd_node_limit(e.m, 3000), 0);
    }
    EXPECT_EQ(shape(e.m, f), expected[i]) << "tree " << i << ": " << to_string(trees[i]);
    bdd_free(e.m, f);
  }
  EXPECT_GT(abandoned, 0) << "the node limit never stopped an operation";
  EXPECT_EQ(bdd_node_limit(e.m, -3), 3000);
  EXPECT_EQ(bdd_node_limit(e.m, 0), 0);
  for (std::size_t i = 0; i < held_trees; ++i)
    EXPECT_EQ(shape(e.m, e.held[i]), expected[i]) << "held tree " << i << " damaged";
}

TEST_F(BddProperty, EnginesAliveTogetherDoNotDisturbEachOther) {
  const Cases cases = big_trees(8080, 45);
  const std::vector<Expr>& trees = cases.trees;
  const std::vector<Shape>& expected = cases.shapes;
  Engine* engines[3] = {&new_engine(14), &new_engine(14), &new_engine(14)};
  for (std::size_t i = 0; i < trees.size(); ++i) {
    for (int k = 0; k < 3; ++k) {
      Engine& e = *engines[k];
      if (e.m == nullptr) continue;
      bdd f = build(e.m, e.vars, trees[i]);
      ASSERT_EQ(shape(e.m, f), expected[i]) << "engine " << k << ", tree " << i;
      // Each engine keeps a different share of its results.
      if ((i + k) % 2 == 0) {
        hold(e, f);
      } else {
        bdd_free(e.m, f);
      }
    }
    if (i % 7 == 3 && engines[i % 3]->m != nullptr) bdd_gc(engines[i % 3]->m);
    if (i == trees.size() / 2) retire(*engines[1]);
  }
  for (int k : {0, 2}) {
    std::size_t h = 0;
    for (std::size_t i = 0; i < trees.size(); ++i) {
      if ((i + k) % 2 != 0) continue;
      EXPECT_EQ(shape(engines[k]->m, engines[k]->held[h++]), expected[i])
          << "engine " << k << ", tree " << i;
    }
  }
}

// ---- Derived operations ----

TEST_F(BddProperty, ReduceAndCofactorAgreeWithTheFunctionOnTheCareSet) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(11);
  bdd one = bdd_one(e.m), zero = bdd_zero(e.m);
  for (int i = 0; i < 150; ++i) {
    Sample f = random_function(e, rng, kTableVars, 6);
    Sample c = random_function(e, rng, kTableVars, 4);
    bdd r = hold(e, bdd_reduce(e.m, f.f, c.f));
    EXPECT_EQ(table(e.m, r) & c.t, f.t & c.t)
        << "reduce\n f = " << hex(f.t, kTableVars) << "\n c = " << hex(c.t, kTableVars);
    if (c.f != zero) {
      bdd g = hold(e, bdd_cofactor(e.m, f.f, c.f));
      EXPECT_EQ(table(e.m, g) & c.t, f.t & c.t)
          << "cofactor\n f = " << hex(f.t, kTableVars) << "\n c = " << hex(c.t, kTableVars);
    }
    EXPECT_EQ(hold(e, bdd_reduce(e.m, f.f, one)), f.f);
    EXPECT_EQ(bdd_reduce(e.m, f.f, zero), zero);
    EXPECT_EQ(hold(e, bdd_cofactor(e.m, f.f, one)), f.f);
    // By a literal, the generalised cofactor is the restriction.
    int v = pick(rng, kTableVars);
    bdd lit = pick(rng, 2) ? e.vars[v] : e.vars[v] ^ 1u;
    bdd by_lit = hold(e, bdd_cofactor(e.m, f.f, lit));
    EXPECT_EQ(table(e.m, by_lit), restrict_table(f.t, v, lit == e.vars[v]))
        << "cofactor by literal " << lit << "\n f = " << hex(f.t, kTableVars);
    if (i % 10 == 0) {
      ASSERT_EQ(bdd_debug_check(e.m), 0);
    }
  }
  bdd xy = hold(e, bdd_and(e.m, e.vars[0], e.vars[1]));
  EXPECT_EQ(hold(e, bdd_reduce(e.m, xy, e.vars[0])), e.vars[1]);
}

TEST_F(BddProperty, ComposeReplacesTheVariable) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(12);
  for (int i = 0; i < 200; ++i) {
    Sample f = random_function(e, rng, kTableVars, 6);
    int v = pick(rng, kTableVars);
    Sample g = random_function(e, rng, kTableVars, 3);
    bdd r = hold(e, bdd_compose(e.m, f.f, e.vars[v], g.f));
    TruthTable expected =
        (g.t & restrict_table(f.t, v, true)) | (~g.t & restrict_table(f.t, v, false));
    EXPECT_EQ(table(e.m, r), expected) << "compose x" << v << "\n f = " << hex(f.t, kTableVars)
                                       << "\n g = " << hex(g.t, kTableVars);
    for (bool value : {false, true}) {
      bdd k = value ? bdd_one(e.m) : bdd_zero(e.m);
      bdd rr = hold(e, bdd_compose(e.m, f.f, e.vars[v], k));
      EXPECT_EQ(table(e.m, rr), restrict_table(f.t, v, value))
          << "restrict x" << v << " = " << value << "\n f = " << hex(f.t, kTableVars);
    }
  }
}

TEST_F(BddProperty, IntersectsAndImpliesDecideContainment) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(13);
  bdd zero = bdd_zero(e.m);
  int empty = 0, contained = 0;
  for (int i = 0; i < 400; ++i) {
    Sample f = random_function(e, rng, kTableVars, pick(rng, 2) ? 5 : 2);
    Sample g = random_function(e, rng, kTableVars, pick(rng, 2) ? 5 : 2);
    bdd r = hold(e, bdd_intersects(e.m, f.f, g.f));
    const TruthTable both = f.t & g.t;
    empty += both.none();
    EXPECT_EQ(r == zero, both.none())
        << "intersects\n f = " << hex(f.t, kTableVars) << "\n g = " << hex(g.t, kTableVars);
    EXPECT_TRUE(table_implies(table(e.m, r), both)) << "witness outside f and g";
    bdd s = hold(e, bdd_implies(e.m, f.f, g.f));
    contained += table_implies(f.t, g.t);
    EXPECT_EQ(s == zero, table_implies(f.t, g.t))
        << "implies\n f = " << hex(f.t, kTableVars) << "\n g = " << hex(g.t, kTableVars);
    EXPECT_TRUE(table_implies(table(e.m, s), f.t & ~g.t)) << "counterexample not in f and not g";
  }
  EXPECT_GT(empty, 0);
  EXPECT_GT(contained, 0);
}

TEST_F(BddProperty, SatisfyFollowsThenBranchesToOne) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(14);
  for (int i = 0; i < 300; ++i) {
    Sample f = random_function(e, rng, kTableVars, 6);
    if (f.f == bdd_zero(e.m)) continue;
    // Expected cube: at each node take the then-branch unless it is zero.
    TruthTable cube = constant_table(true);
    bdd walk = bdd_identity(e.m, f.f);
    while (bdd_if_index(e.m, walk) >= 0) {
      int index = bdd_if_index(e.m, walk);
      bdd t = bdd_then(e.m, walk);
      bool positive = t != bdd_zero(e.m);
      bdd next = positive ? t : bdd_else(e.m, walk);
      cube &= positive ? literal_table(index) : ~literal_table(index);
      if (!positive) bdd_free(e.m, t);
      bdd_free(e.m, walk);
      walk = next;
    }
    bdd_free(e.m, walk);
    bdd s = hold(e, bdd_satisfy(e.m, f.f));
    TruthTable st = table(e.m, s);
    EXPECT_TRUE(table_implies(st, f.t)) << "cube outside f = " << hex(f.t, kTableVars);
    EXPECT_EQ(st, cube) << "f = " << hex(f.t, kTableVars);
  }
  EXPECT_EQ(bdd_satisfy(e.m, bdd_one(e.m)), bdd_one(e.m));
}

TEST_F(BddProperty, DependenceSupportAndFractionMatchTheTable) {
  Engine& e = new_engine(kTableVars);
  std::mt19937 rng(15);
  std::vector<bdd> support(kTableVars + 1);
  for (int i = 0; i < 300; ++i) {
    Sample f = random_function(e, rng, kTableVars, pick(rng, 3) + 3);
    std::vector<bdd> expected_support;
    for (int v = 0; v < kTableVars; ++v) {
      bool depends = table_depends_on(f.t, v);
      EXPECT_EQ(bdd_depends_on(e.m, f.f, e.vars[v]), depends ? 1 : 0)
          << "x" << v << " in f = " << hex(f.t, kTableVars);
    }
    // First meeting of each variable in a then-first depth-first walk.
    std::unordered_set<bdd> seen;
    std::vector<bdd> stack{bdd_identity(e.m, f.f)};
    std::vector<bool> met(kTableVars, false);
    while (!stack.empty()) {
      bdd g = stack.back();
      stack.pop_back();
      int index = bdd_if_index(e.m, g);
      if (index >= 0 && seen.insert(regular(g)).second) {
        if (!met[index]) expected_support.push_back(e.vars[index]);
        met[index] = true;
        stack.push_back(bdd_else(e.m, g));
        stack.push_back(bdd_then(e.m, g));
      }
      bdd_free(e.m, g);
    }
    std::fill(support.begin(), support.end(), bdd_one(e.m));
    bdd_support(e.m, f.f, support.data());
    std::vector<bdd> got;
    for (bdd v : support) {
      if (v == 0) break;
      got.push_back(v);
    }
    EXPECT_EQ(got, expected_support) << "f = " << hex(f.t, kTableVars);
    EXPECT_DOUBLE_EQ(bdd_satisfying_fraction(e.m, f.f),
                     static_cast<double>(f.t.count()) / static_cast<double>(f.t.size()))
        << "f = " << hex(f.t, kTableVars);
    // The dependency and support walks mark nodes; no mark may survive them.
    ASSERT_EQ(bdd_debug_check(e.m), 0) << "f = " << hex(f.t, kTableVars);
  }
  EXPECT_EQ(bdd_depends_on(e.m, bdd_one(e.m), e.vars[0]), 0);
  EXPECT_EQ(bdd_depends_on(e.m, 0, e.vars[0]), 0);
  EXPECT_EQ(bdd_satisfying_fraction(e.m, 0), 0.0);
}

}  // namespace
