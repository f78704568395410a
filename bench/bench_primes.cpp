// Benchmarks of the covers of wide functions: the BLIF cover (prime
// implicants, essential ones first, then the greedy pass) of or, and,
// majority and threshold tables and of random two-level functions. Each
// iteration builds the function in a fresh manager and prints its cover.
// The cover of an or of 64 inputs is meant to take well under 10 ms.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bddpp/bddpp_manager.h"

namespace {

struct workload {
  bddpp_manager man;
  std::vector<bdd> x;
  bdd y = 0;
  bdd f = 0;

  explicit workload(int n) {
    for (int i = 0; i < n; ++i)
      x.push_back(man.New_var_last("i" + std::to_string(i)));
    y = man.New_var_last("y");
  }
  ~workload() {
    if (f != 0) man.Bdd_free(f);
  }
  void take(bdd g) {
    if (f != 0) man.Bdd_free(f);
    f = g;
  }
  // At least k of the n inputs (k = n gives the and, k = 1 the or).
  void at_least(int k) {
    const int n = static_cast<int>(x.size());
    // row[j]: at least j of the inputs from i on; built from the last input.
    std::vector<bdd> row(static_cast<std::size_t>(k) + 1);
    for (int j = 0; j <= k; ++j)
      row[j] = man.Bdd_dup(j == 0 ? man.Bdd_one() : man.Bdd_zero());
    for (int i = n - 1; i >= 0; --i) {
      for (int j = k; j >= 1; --j) {
        bdd next = man.Bdd_ite(x[i], row[j - 1], row[j]);
        man.Bdd_free(row[j]);
        row[j] = next;
      }
    }
    take(man.Bdd_dup(row[k]));
    for (bdd r : row)
      man.Bdd_free(r);
  }
  // A sum of `cubes` random cubes with `literals` literals each.
  void random_sum(int cubes, int literals, unsigned seed) {
    std::mt19937 rng(seed);
    const int n = static_cast<int>(x.size());
    take(man.Bdd_dup(man.Bdd_zero()));
    for (int c = 0; c < cubes; ++c) {
      bdd cube = man.Bdd_dup(man.Bdd_one());
      for (int l = 0; l < literals; ++l) {
        bdd v = x[rng() % n];
        bdd next = man.Bdd_and(cube, rng() & 1u ? v : v ^ 1u);
        man.Bdd_free(cube);
        cube = next;
      }
      bdd next = man.Bdd_or(f, cube);
      man.Bdd_free(cube);
      take(next);
    }
  }
  std::size_t cover() {
    std::ostringstream out;
    man.BLIF_print(out, y, f, 2);
    return out.str().size();
  }
};

void BM_Threshold(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int k = static_cast<int>(state.range(1));
  std::size_t bytes = 0;
  for (auto _ : state) {
    workload w(n);
    w.at_least(k);
    bytes = w.cover();
  }
  state.counters["cover_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Threshold)
    ->ArgNames({"inputs", "at_least"})
    ->Args({64, 1})   // or of 64
    ->Args({64, 64})  // and of 64
    ->Args({17, 1})   // or of 17: the walk's order, replayed
    ->Args({18, 1})   // or of 18: past the walk's limit
    ->Args({40, 2})   // 780 primes
    ->Args({17, 9})   // majority of 17: 24310 primes
    ->Unit(benchmark::kMillisecond);

void BM_RandomSum(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int cubes = static_cast<int>(state.range(1));
  const int literals = static_cast<int>(state.range(2));
  std::size_t bytes = 0;
  for (auto _ : state) {
    workload w(n);
    w.random_sum(cubes, literals, 7);
    bytes = w.cover();
  }
  state.counters["cover_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RandomSum)
    ->ArgNames({"inputs", "cubes", "literals"})
    ->Args({24, 30, 6})
    ->Args({33, 60, 10})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
