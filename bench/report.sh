#!/bin/sh
# Runs the BDD benchmarks and prints one line per case: name, time, nodes.
# Usage: bench/report.sh [path/to/bench_bdd] [extra benchmark options...]
set -e
bin=${1:-build/bench/bench_bdd}
[ $# -gt 0 ] && shift
if [ ! -x "$bin" ]; then
  echo "report.sh: no benchmark binary at $bin" >&2
  exit 1
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$bin" --benchmark_format=json --benchmark_out="$out" --benchmark_out_format=json "$@" >/dev/null
awk '
  function value(line) { sub(/^[^:]*: */, "", line); sub(/,$/, "", line); gsub(/"/, "", line); return line }
  BEGIN { printf "%-22s %14s %12s %12s %10s\n", "name", "time", "nodes", "total", "solutions" }
  /"name":/       { name = value($0); t = ""; unit = ""; nodes = "-"; total = "-"; sol = "-" }
  /"real_time":/  { t = value($0) }
  /"time_unit":/  { unit = value($0) }
  /"nodes":/      { nodes = value($0) }
  /"total":/      { total = value($0) }
  /"solutions":/  { sol = sprintf("%d", value($0)) }
  /^ *}/ && name != "" {
    printf "%-22s %11.3f %-2s %12d %12d %10s\n", name, t, unit, nodes, total, sol
    name = ""
  }
' "$out"
