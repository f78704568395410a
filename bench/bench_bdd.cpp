// Benchmarks of the BDD engine on classic problems: n-queens, the outputs of
// an array multiplier and of a ripple-carry adder. Each iteration builds the
// problem in a fresh engine; node counts are reported as counters.
#include <benchmark/benchmark.h>

#include <cmath>
#include <unordered_set>
#include <vector>

#include "bdd/bdd.h"

namespace {

// acc := r, giving back the reference acc held.
void replace(bdd_manager m, bdd& acc, bdd r) {
  bdd_free(m, acc);
  acc = r;
}

void and_into(bdd_manager m, bdd& acc, bdd g) {
  replace(m, acc, bdd_and(m, acc, g));
}

// Nodes reachable from the roots, terminal included.
long shared_size(bdd_manager m, const std::vector<bdd>& roots) {
  std::unordered_set<bdd> seen;
  std::vector<bdd> stack;
  for (bdd f : roots)
    stack.push_back(bdd_identity(m, f));
  while (!stack.empty()) {
    bdd f = stack.back();
    stack.pop_back();
    if (seen.insert(f & ~1u).second && bdd_if_index(m, f) >= 0) {
      stack.push_back(bdd_then(m, f));
      stack.push_back(bdd_else(m, f));
    }
    bdd_free(m, f);
  }
  return static_cast<long>(seen.size());
}

// Every row holds a queen; a queen on a square excludes every other square of
// its row, column and both diagonals.
bdd queens(bdd_manager m, int n, const std::vector<bdd>& x) {
  auto at = [&](int i, int j) { return x[i * n + j]; };
  bdd board = bdd_one(m);
  for (int i = 0; i < n; ++i) {
    bdd row = bdd_zero(m);
    for (int j = 0; j < n; ++j)
      replace(m, row, bdd_or(m, row, at(i, j)));
    and_into(m, board, row);
    bdd_free(m, row);
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      bdd free_lines = bdd_one(m);
      for (int k = 0; k < n; ++k) {
        if (k != j) and_into(m, free_lines, at(i, k) ^ 1u);
        if (k != i) and_into(m, free_lines, at(k, j) ^ 1u);
        int d = k - i;
        if (d != 0 && j + d >= 0 && j + d < n) and_into(m, free_lines, at(k, j + d) ^ 1u);
        if (d != 0 && j - d >= 0 && j - d < n) and_into(m, free_lines, at(k, j - d) ^ 1u);
      }
      bdd square = bdd_or(m, at(i, j) ^ 1u, free_lines);
      bdd_free(m, free_lines);
      and_into(m, board, square);
      bdd_free(m, square);
    }
  }
  return board;
}

void BM_Queens(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  long nodes = 0, total = 0;
  double solutions = 0;
  for (auto _ : state) {
    bdd_manager m = bdd_init();
    std::vector<bdd> x;
    for (int i = 0; i < n * n; ++i)
      x.push_back(bdd_new_var_last(m));
    bdd board = queens(m, n, x);
    total = bdd_total_size(m);
    state.PauseTiming();
    nodes = shared_size(m, {board});
    solutions = bdd_satisfying_fraction(m, board) * std::ldexp(1.0, n * n);
    state.ResumeTiming();
    bdd_free(m, board);
    bdd_quit(m);
  }
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["total"] = static_cast<double>(total);
  state.counters["solutions"] = solutions;
}

struct FullAdd {
  bdd sum, carry;
};

// One full adder; the caller keeps its operands and owns both outputs.
FullAdd full_add(bdd_manager m, bdd a, bdd b, bdd c) {
  bdd half = bdd_xor(m, a, b);
  bdd sum = bdd_xor(m, half, c);
  bdd both = bdd_and(m, a, b);
  bdd prop = bdd_and(m, half, c);
  bdd carry = bdd_or(m, both, prop);
  for (bdd g : {half, both, prop})
    bdd_free(m, g);
  return {sum, carry};
}

// Outputs of a*b, low bit first: partial products a_j and b_i summed row by
// row with ripple adders.
std::vector<bdd> multiplier(bdd_manager m, const std::vector<bdd>& a, const std::vector<bdd>& b) {
  const std::size_t n = a.size();
  std::vector<bdd> out;
  std::vector<bdd> acc;  // running sum, shifted so acc[0] is the next output bit
  for (std::size_t j = 0; j < n; ++j)
    acc.push_back(bdd_and(m, a[j], b[0]));
  for (std::size_t i = 1; i < n; ++i) {
    out.push_back(acc[0]);
    std::vector<bdd> next;
    bdd carry = bdd_zero(m);
    for (std::size_t j = 0; j < n; ++j) {
      bdd pp = bdd_and(m, a[j], b[i]);
      bdd high = j + 1 < acc.size() ? acc[j + 1] : bdd_zero(m);
      FullAdd s = full_add(m, high, pp, carry);
      for (bdd g : {pp, high, carry})
        bdd_free(m, g);
      next.push_back(s.sum);
      carry = s.carry;
    }
    next.push_back(carry);
    acc = next;
  }
  out.insert(out.end(), acc.begin(), acc.end());
  return out;
}

// Operands a and b of n bits with interleaved variables a0 b0 a1 b1 ...
void interleaved_operands(bdd_manager m, std::size_t n, std::vector<bdd>* a, std::vector<bdd>* b) {
  for (std::size_t i = 0; i < n; ++i) {
    a->push_back(bdd_new_var_last(m));
    b->push_back(bdd_new_var_last(m));
  }
}

// Notes the node counts of the outputs (outside the timing), then frees them
// and ends the engine.
void finish(benchmark::State& state, bdd_manager m, const std::vector<bdd>& out, long* nodes,
            long* total) {
  *total = bdd_total_size(m);
  state.PauseTiming();
  *nodes = shared_size(m, out);
  state.ResumeTiming();
  for (bdd f : out)
    bdd_free(m, f);
  bdd_quit(m);
}

void BM_Multiplier(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  long nodes = 0, total = 0;
  for (auto _ : state) {
    bdd_manager m = bdd_init();
    std::vector<bdd> a, b;
    interleaved_operands(m, n, &a, &b);
    finish(state, m, multiplier(m, a, b), &nodes, &total);
  }
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["total"] = static_cast<double>(total);
}

void BM_Adder(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  long nodes = 0, total = 0;
  for (auto _ : state) {
    bdd_manager m = bdd_init();
    std::vector<bdd> a, b;
    interleaved_operands(m, n, &a, &b);
    std::vector<bdd> out;
    bdd carry = bdd_zero(m);
    for (std::size_t i = 0; i < n; ++i) {
      FullAdd s = full_add(m, a[i], b[i], carry);
      bdd_free(m, carry);
      out.push_back(s.sum);
      carry = s.carry;
    }
    out.push_back(carry);
    finish(state, m, out, &nodes, &total);
  }
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["total"] = static_cast<double>(total);
}

}  // namespace

BENCHMARK(BM_Queens)->Arg(6)->Arg(7)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Multiplier)->Arg(6)->Arg(8)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adder)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
