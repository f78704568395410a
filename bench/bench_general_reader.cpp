// The general BLIF reader on the biggest raw files of
// ../shared/benchmarks/raw (read from memory, so the disk is not timed),
// the name encoding with the canonical text after it, and the reader's
// growth on generated files of 2^k tables with odd names and a hierarchy.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "blif/canonical_text.h"
#include "blif/general_reader.h"
#include "blif/name_encoding.h"

namespace {

std::string load(const std::string& name) {
  std::ifstream in(std::string(BENCH_CIRCUITS_DIR) + "/raw/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void read_file(benchmark::State& state, const char* name) {
  const std::string text = load(name);
  if (text.empty()) {
    state.SkipWithError("raw benchmark file missing");
    return;
  }
  for (auto _ : state) {
    tessaro::flat_model m;
    std::vector<tessaro::diagnostic> w;
    if (!tessaro::read_general_blif(text, name, m, w).ok()) state.SkipWithError("refused");
    benchmark::DoNotOptimize(m.tables.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void encode_and_write(benchmark::State& state, const char* name) {
  const std::string text = load(name);
  tessaro::flat_model m;
  std::vector<tessaro::diagnostic> w;
  if (text.empty() || !tessaro::read_general_blif(text, name, m, w).ok()) {
    state.SkipWithError("raw benchmark file missing or refused");
    return;
  }
  for (auto _ : state) {
    std::string out;
    tessaro::write_canonical_text(tessaro::encode_model(m), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// A top of n/4 tables with names like Yosys's, and three instances of a
// model of n/4 tables: n tables once flattened.
std::string generated(int n) {
  std::string t = ".model top\n.inputs clk a[0] \\\n a[1]\n.outputs y[0]\n";
  auto table = [&t](const std::string& prefix, int k, int n) {
    t += ".names " + prefix + std::to_string(k > 1 ? k - 1 : 0) + "$n " + prefix +
         std::to_string(k > 2 ? k - 2 : 1) + "$n " + prefix + std::to_string(k) +
         "$n\n10 1\n01 1\n";
    (void)n;
  };
  const int quarter = n / 4;
  for (int k = 0; k < quarter; ++k)
    table("$abc$", k, quarter);
  for (int i = 0; i < 3; ++i)
    t += ".subckt part p=a[" + std::to_string(i % 2) + "] q=y[0]\n";
  t += ".end\n.model part\n.inputs p\n.outputs q\n";
  for (int k = 0; k < quarter; ++k)
    table("u.r", k, quarter);
  t += ".subckt $_DFFE_PP_ C=clk D=u.r0$n E=p Q=q\n.end\n";
  return t;
}

void read_generated(benchmark::State& state) {
  const std::string text = generated(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    tessaro::flat_model m;
    std::vector<tessaro::diagnostic> w;
    tessaro::read_general_blif(text, "generated", m, w);
    benchmark::DoNotOptimize(m.tables.data());
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK_CAPTURE(read_file, ys_cname_aes, "yosys/ys_cname_aes.blif")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_file, s38417, "iscas/s38417.blif")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_file, s38584_1, "lgsynth/s38584.1.blif")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read_file, clma, "lgsynth/clma.blif")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode_and_write, ys_cname_aes, "yosys/ys_cname_aes.blif")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode_and_write, s38417, "iscas/s38417.blif")->Unit(benchmark::kMillisecond);
BENCHMARK(read_generated)
    ->RangeMultiplier(4)
    ->Range(1 << 12, 1 << 18)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
