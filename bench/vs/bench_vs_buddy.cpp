// Our engine and BuDDy side by side on the same workloads: n-queens, an array
// multiplier and the ISCAS'85 circuits when their folder is present. Each
// workload is built from scratch per iteration (engine start to engine end).
// After the run, the engines' summaries of each workload are compared and
// printed; any difference makes the exit status 1.
//
// Usage: bench_vs_buddy [--circuits=DIR] [benchmark options...]
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/vs/engine_api.h"

namespace {

using benchvs::EngineApi;
using benchvs::Summary;
using benchvs::Workload;

constexpr int kQueens[] = {8, 9};
constexpr int kMultiplierBits = 12;
// Left out: C6288, the 16-bit multiplier, whose middle outputs are beyond
// either engine's reach, and C2670 and C7552, which take millions of nodes and
// tens of seconds per build under this static order (no reordering here).
constexpr const char* kCircuits[] = {"C432", "C499", "C880", "C1355", "C1908", "C3540", "C5315"};

struct Check {
  bool done = false;
  Summary summary;
};

// Summaries by workload name, then engine name.
std::map<std::string, std::map<std::string, Check>> checks;

void run(benchmark::State& state, const EngineApi* api, const Workload* w) {
  Check& check = checks[w->name][api->name];
  for (auto _ : state) {
    void* s = api->build(*w);
    if (!check.done) {
      state.PauseTiming();
      check.summary = api->summarize(s);
      check.done = true;
      state.ResumeTiming();
    }
    api->finish(s);
  }
  state.counters["nodes"] = static_cast<double>(check.summary.nodes);
  state.counters["count"] = check.summary.count;
}

void add(const Workload* w) {
  for (const EngineApi* api : {&benchvs::our_engine(), &benchvs::buddy_engine()}) {
    std::string name = w->name + "/" + api->name;
    benchmark::RegisterBenchmark(name.c_str(), run, api, w)->Unit(benchmark::kMillisecond);
  }
}

bool same_count(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::fmax(1.0, std::fabs(a));
}

// Prints one line per workload both engines ran; false if any differ.
bool report_checks() {
  bool all_agree = true;
  std::printf("\n%-10s %22s %10s %18s  %s\n", "workload", "count", "nodes", "signature", "engines");
  for (const auto& [name, by_engine] : checks) {
    auto ours = by_engine.find("ours");
    auto buddy = by_engine.find("buddy");
    if (ours == by_engine.end() || buddy == by_engine.end() || !ours->second.done ||
        !buddy->second.done)
      continue;
    const Summary& a = ours->second.summary;
    const Summary& b = buddy->second.summary;
    bool agree = same_count(a.count, b.count) && a.nodes == b.nodes && a.signature == b.signature;
    all_agree = all_agree && agree;
    std::printf("%-10s %22.10g %10ld %016" PRIx64 "  %s\n", name.c_str(), a.count, a.nodes,
                a.signature, agree ? "agree" : "DIFFER");
    if (!agree)
      std::printf("%-10s %22.10g %10ld %016" PRIx64 "  (buddy)\n", "", b.count, b.nodes,
                  b.signature);
  }
  return all_agree;
}

// Keeps memory freed by either engine inside the process, so that each
// build runs on pages already touched, whatever ran before it. Our engine's
// region is never given back to the system anyway; BuDDy's tables come from
// malloc, which would otherwise map fresh pages for every build of a small
// workload (queens8 takes about four times as long from fresh pages) and
// reuse old ones after large workloads had raised its mapping threshold.
void keep_freed_memory() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest value glibc accepts
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_TOP_PAD, 64 << 20);
}

}  // namespace

int main(int argc, char** argv) {
  keep_freed_memory();
  std::string circuits_dir = BENCH_CIRCUITS_DIR;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--circuits=", 11) == 0)
      circuits_dir = argv[i] + 11;
    else
      args.push_back(argv[i]);
  }
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());

  std::vector<std::unique_ptr<Workload>> workloads;
  std::vector<std::unique_ptr<benchvs::Circuit>> circuits;
  for (int size : kQueens)
    workloads.push_back(std::make_unique<Workload>(
        Workload{Workload::kQueens, size, nullptr, "queens" + std::to_string(size)}));
  workloads.push_back(std::make_unique<Workload>(Workload{
      Workload::kMultiplier, kMultiplierBits, nullptr, "mult" + std::to_string(kMultiplierBits)}));
  for (const char* name : kCircuits) {
    auto c = std::make_unique<benchvs::Circuit>();
    std::string error;
    if (!benchvs::read_circuit(circuits_dir + "/" + name + ".blif", c.get(), &error)) {
      std::fprintf(stderr, "bench_vs_buddy: %s skipped: %s\n", name, error.c_str());
      continue;
    }
    workloads.push_back(std::make_unique<Workload>(Workload{Workload::kCircuit, 0, c.get(), name}));
    circuits.push_back(std::move(c));
  }
  for (const auto& w : workloads)
    add(w.get());

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return report_checks() ? 0 : 1;
}
