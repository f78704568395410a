#!/bin/sh
# Runs bench_vs_buddy (our engine and BuDDy on the same workloads) and prints
# one line per workload: our time, BuDDy's, and their ratio (ours / BuDDy,
# below 1 when we are faster), from the median of the repetitions and from
# the best (on a shared machine the least disturbed) repetition; then the
# engines' agreement table printed by the benchmark itself. Repetitions of
# both engines are interleaved in random order, so that a machine whose
# speed drifts during the run slows both alike.
# Usage: bench/compare_buddy.sh [path/to/bench_vs_buddy] [repetitions] [benchmark options...]
# The binary comes from a Release build with BuDDy (libbdd-dev) installed:
#   cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
#   cmake --build build/release --target bench_vs_buddy
set -e
bin=${1:-build/release/bench/bench_vs_buddy}
reps=${2:-3}
[ $# -gt 0 ] && shift
[ $# -gt 0 ] && shift
if [ ! -x "$bin" ]; then
  echo "compare_buddy.sh: no benchmark binary at $bin (is libbdd-dev installed?)" >&2
  exit 1
fi
json=$(mktemp)
console=$(mktemp)
trap 'rm -f "$json" "$console"' EXIT
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
"$bin" --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
  --benchmark_out="$json" --benchmark_out_format=json \
  "$@" >"$console" || status=$?
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
awk -v reps="$reps" '
  function value(line) { sub(/^[^:]*: */, "", line); sub(/,$/, "", line); gsub(/"/, "", line); return line }
  /"run_name":/       { run = value($0) }
  /"run_type":/       { type = value($0) }
  /"aggregate_name":/ { agg = value($0) }
  /"cpu_time":/       { cpu = value($0) }
  /"time_unit":/      { unit = value($0) }
  /^ *}/ && run != "" {
    if (type == "iteration") {
      split(run, part, "/")
      if (!((part[1], part[2]) in best) || cpu + 0 < best[part[1], part[2]]) best[part[1], part[2]] = cpu + 0
    }
    if (agg == "median" || (type == "iteration" && !(run in median))) {
      if (agg == "median") median[run] = 1
      split(run, part, "/")
      w = part[1]
      if (!(w in seen)) { seen[w] = 1; order[++n] = w }
      t[w, part[2]] = cpu
      u[w] = unit
    }
    run = ""; type = ""; agg = ""
  }
  END {
    printf "%-10s %14s %14s %8s %14s %14s %8s\n", "", "median of", "", "", "best of", "", ""
    printf "%-10s %14s %14s %8s %14s %14s %8s   (cpu time of %d repetitions)\n", "workload", "ours", "buddy", "ratio", "ours", "buddy", "ratio", reps
    # The benchmark order, whatever order the interleaved runs came in.
    m = split("queens8 queens9 mult12 C432 C499 C880 C1355 C1908 C3540 C5315", fixed, " ")
    k = 0
    for (i = 1; i <= m; ++i) if (fixed[i] in seen) { sorted[++k] = fixed[i]; listed[fixed[i]] = 1 }
    for (i = 1; i <= n; ++i) if (!(order[i] in listed)) sorted[++k] = order[i]
    for (i = 1; i <= k; ++i) {
      w = sorted[i]
      a = t[w, "ours"]; b = t[w, "buddy"]
      r = (a != "" && b != "" && b > 0) ? sprintf("%8.2f", a / b) : sprintf("%8s", "-")
      c = best[w, "ours"]; d = best[w, "buddy"]
      q = (c != "" && d != "" && d > 0) ? sprintf("%8.2f", c / d) : sprintf("%8s", "-")
      printf "%-10s %11.2f %-2s %11.2f %-2s %s %11.2f %-2s %11.2f %-2s %s\n", w, a, u[w], b, u[w], r, c, u[w], d, u[w], q
    }
  }
' "$json"
sed -n '/^workload .*engines$/,$p' "$console"
exit $status
