#!/usr/bin/env bash
# Whole-run scaling of tessaro: time and peak memory of merges of growing size,
# side by side with Yosys doing the same merge, and a byte-for-byte comparison
# of two builds.
#
# Usage:
#   bench/scale.sh [-b BINARY] [--floor FLOOR] [--runs N] [--sizes "2000 4000 ..."] [--no-yosys]
#   bench/scale.sh --check-same OLD_BINARY NEW_BINARY [--sizes "..."] [--seeds N]
#                  [--pairs "s27:s208 gen:400 equiv:3 ..."]
#   bench/scale.sh --self-test [-b BINARY]
#   bench/scale.sh --merge-only [-b BINARY] [-m MERGE] [--runs N] [--sizes "..."]
#
# BINARY defaults to build/release/tessaro, MERGE to build/release/tessaro-merge.
# Section (d) runs MERGE (A.blif B.blif, no trace) beside BINARY on the same
# pairs, runs interleaved, best of --runs each: merge_s / tessaro_s is the
# share of tessaro's time, and x/doubling the factor of MERGE's time;
# --merge-only prints that section alone. The floor section compares the
# biggest pairs with the time bench/output_floor (FLOOR, default
# build/release/bench/output_floor) takes to write the same output bytes,
# and gives the run's time as a multiple of it. Pairs come from the benchmark
# circuits beside the repository (../shared/benchmarks, or the folder named by
# TESSARO_BENCHMARKS; skipped when absent) and from bench/gen_circuit.py: the
# generated pair of size GATES is two circuits (sides a and b) of GATES/2
# tables and GATES/20 latches each; in series (c) half of the tables also read
# one input. Signals are the distinct names of each file, added up. Seconds
# are wall time, best of --runs (3); cpu_s is the user and system time of that
# run; peak_MB is the peak resident size. x/doubling is the time factor per
# doubling of the signals since the row above:
# (t / t_prev) ^ (1 / log2(signals / signals_prev)).
#
# --check-same runs both binaries on every pair (the benchmark pairs, each
# sequential benchmark with the next in size, the generated pairs and --seeds
# (30) random pairs of tests/equiv/gen_pair.py) and compares exit status,
# standard output, standard error, output file and log byte for byte.
# --pairs replaces that list (sX:sY benchmark files, gen:GATES, fan:GATES,
# equiv:SEED).
# --self-test checks the generator, the signal count, the comparison and the
# Yosys wiring on small pairs. YOSYS names the yosys binary (default: yosys).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
benchmarks=${TESSARO_BENCHMARKS:-$root/../shared/benchmarks}
bin=$root/build/release/tessaro
merge_bin=$root/build/release/tessaro-merge
floor_bin=$root/build/release/bench/output_floor
runs=3
sizes="2000 4000 8000 16000 32000"
seeds=30
yosys_on=1
yosys=${YOSYS:-yosys}
mode=scale
old_bin=
new_bin=
only_pairs=

usage() {
  awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"
  exit "${1:-0}"
}

while [ $# -gt 0 ]; do
  case $1 in
    -b) bin=$2; shift 2 ;;
    -m) merge_bin=$2; shift 2 ;;
    --merge-only) mode=merge; shift ;;
    --floor) floor_bin=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --seeds) seeds=$2; shift 2 ;;
    --no-yosys) yosys_on=0; shift ;;
    --check-same) mode=check; old_bin=$2; new_bin=$3; shift 3 ;;
    --pairs) only_pairs=$2; shift 2 ;;
    --self-test) mode=selftest; shift ;;
    -h|--help) usage 0 ;;
    *) echo "scale.sh: unknown argument $1" >&2; usage 1 >&2 ;;
  esac
done

abs() { (cd "$(dirname "$1")" && echo "$(pwd)/$(basename "$1")"); }

need_binary() {
  if [ ! -x "$1" ]; then
    echo "scale.sh: no tessaro binary at $1 (build it or pass -b)" >&2
    exit 1
  fi
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaro-scale.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Benchmark pairs of growing size; the last one is the biggest.
bench_pairs=(s1196:s1238 s5378:s9234 s13207:s15850 s35932:s38417 s38417:s38584)
have_benchmarks=0
if [ -f "$benchmarks/s38417.blif" ] && [ -f "$benchmarks/s38584.blif" ]; then
  have_benchmarks=1
fi

# Writes the two files of pair NAME into DIR as DIR/A.blif and DIR/B.blif.
# NAME is "sX:sY" for benchmark files or "gen:N" for generated circuits.
# Prints "A B" (the base names to pass to tessaro).
make_pair() {
  local name=$1 dir=$2
  mkdir -p "$dir"
  case $name in
    gen:*)
      local n=$((${name#gen:} / 2))
      python3 "$here/gen_circuit.py" "$n" 1 --side a -o "$dir/ra$n.blif"
      python3 "$here/gen_circuit.py" "$n" 1 --side b -o "$dir/rb$n.blif"
      echo "ra$n rb$n" ;;
    fan:*)
      local n=$((${name#fan:} / 2))
      python3 "$here/gen_circuit.py" "$n" 1 --side a --fanout 0.5 -o "$dir/fa$n.blif"
      python3 "$here/gen_circuit.py" "$n" 1 --side b --fanout 0.5 -o "$dir/fb$n.blif"
      echo "fa$n fb$n" ;;
    equiv:*)
      python3 "$root/tests/equiv/gen_pair.py" "${name#equiv:}" "$dir" --names p q
      echo "p q" ;;
    *)
      local a=${name%%:*} b=${name##*:}
      cp "$benchmarks/$a.blif" "$dir/"
      [ "$a" = "$b" ] || cp "$benchmarks/$b.blif" "$dir/"
      echo "$a $b" ;;
  esac
}

# Signals of a pair: the distinct names of each file, added up (the merge
# keeps an internal name of one file apart from the same name in the other;
# keywords, model names, cover rows and comments are not names).
count_signals() {
  python3 - "$@" <<'PY'
import re, sys
ident = re.compile(r"(?<![.\w])[A-Za-z_]\w*")
total = 0
for path in sys.argv[1:]:
    names = set()
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0]
            if line.lstrip().startswith(".model"):
                continue
            names.update(ident.findall(line))
    total += len(names)
print(total)
PY
}

# Runs BINARY A B in DIR once; prints "seconds cpu_seconds peak_kb status".
run_once() {
  local bin=$1 dir=$2 a=$3 b=$4
  if [ -x /usr/bin/time ]; then
    (
      cd "$dir"
      local t0=$EPOCHREALTIME st=0
      /usr/bin/time -f '%U %S %M' -o time.txt "$bin" "$a" "$b" >stdout.txt 2>stderr.txt || st=$?
      local t1=$EPOCHREALTIME
      tail -n 1 time.txt | awk -v a="$t0" -v b="$t1" -v st="$st" \
        '{ printf "%.3f %.2f %d %d\n", b - a, $1 + $2, $3, st }'
    )
  else
    (
      cd "$dir"
      python3 - "$bin" "$a" "$b" <<'PY'
import resource, subprocess, sys, time
with open("stdout.txt", "wb") as out, open("stderr.txt", "wb") as err:
    t = time.perf_counter()
    st = subprocess.call(sys.argv[1:], stdout=out, stderr=err)
    t = time.perf_counter() - t
ru = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.3f %.2f %d %d" % (t, ru.ru_utime + ru.ru_stime, ru.ru_maxrss, st))
PY
    )
  fi
}

# Best of $runs: prints "seconds cpu_seconds peak_kb status" (the cpu time
# of the fastest run, the peak over all runs).
run_best() {
  local best='' cpu='' peak=0 st=0 r t c m s
  for ((r = 0; r < runs; r++)); do
    read -r t c m s < <(run_once "$@")
    [ "$s" != 0 ] && st=$s
    [ "$m" -gt "$peak" ] && peak=$m
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then
      best=$t cpu=$c
    fi
  done
  echo "$best $cpu $peak $st"
}

# Prints the table header and one row per pair of the series.
series() {
  local title=$1; shift
  echo
  echo "$title"
  printf '%-22s %9s %9s %7s %9s %8s %8s %11s\n' \
    pair signals seconds cpu_s peak_MB x_size x_time x/doubling
  local prev_sig='' prev_t='' name dir a b sig t c m st
  for name in "$@"; do
    dir=$work/${name//:/_}
    read -r a b < <(make_pair "$name" "$dir") || true
    sig=$(count_signals "$dir/$a.blif" "$dir/$b.blif")
    read -r t c m st < <(run_best "$bin" "$dir" "$a" "$b")
    local label="$a+$b"
    [ "$st" != 0 ] && label="$label FAILED(exit $st)"
    if [ -n "$prev_sig" ]; then
      awk -v l="$label" -v s="$sig" -v t="$t" -v c="$c" -v m="$m" -v ps="$prev_sig" \
        -v pt="$prev_t" 'BEGIN {
        xs = s / ps; xt = (pt > 0) ? t / pt : 0
        d = (xs > 1 && xt > 0) ? sprintf("%.2f", exp(log(xt) * log(2) / log(xs))) : "-"
        printf "%-22s %9d %9.3f %7.2f %9.1f %8.2f %8.2f %11s\n", l, s, t, c, m / 1024, xs, xt, d }'
    else
      awk -v l="$label" -v s="$sig" -v t="$t" -v c="$c" -v m="$m" 'BEGIN {
        printf "%-22s %9d %9.3f %7.2f %9.1f %8s %8s %11s\n", l, s, t, c, m / 1024, "-", "-", "-" }'
    fi
    prev_sig=$sig prev_t=$t
  done
}

# tessaro-merge on A.blif and B.blif in DIR once, without a trace; prints
# "seconds cpu_seconds peak_kb status".
merge_once() {
  local dir=$1 a=$2 b=$3
  (
    cd "$dir"
    local t0=$EPOCHREALTIME st=0
    /usr/bin/time -f '%U %S %M' -o merge_time.txt "$merge_bin" -q -o merged.blif "$a.blif" \
      "$b.blif" >merge_out.txt 2>merge_err.txt || st=$?
    local t1=$EPOCHREALTIME
    tail -n 1 merge_time.txt | awk -v a="$t0" -v b="$t1" -v st="$st" \
      '{ printf "%.3f %.2f %d %d\n", b - a, $1 + $2, $3, st }'
  )
}

# Section (d): tessaro-merge beside tessaro on each pair, runs interleaved.
merge_series() {
  local title=$1; shift
  echo
  echo "$title"
  printf '%-22s %9s %9s %9s %9s %9s %11s\n' pair signals tessaro_s merge_s share peak_MB \
    x/doubling
  local prev_sig='' prev_t='' name dir a b sig r t tm m st best bestm peak
  for name in "$@"; do
    dir=$work/merge_${name//:/_}
    read -r a b < <(make_pair "$name" "$dir") || true
    sig=$(count_signals "$dir/$a.blif" "$dir/$b.blif")
    best='' bestm='' peak=0 st=0
    for ((r = 0; r < runs; r++)); do
      read -r t _ _ _ < <(run_once "$bin" "$dir" "$a" "$b")
      best=$(min "$t" "$best")
      read -r tm _ m s < <(merge_once "$dir" "$a" "$b")
      [ "$s" != 0 ] && st=$s
      [ "$m" -gt "$peak" ] && peak=$m
      bestm=$(min "$tm" "$bestm")
    done
    local label="$a+$b"
    [ "$st" != 0 ] && label="$label FAILED(exit $st)"
    awk -v l="$label" -v s="$sig" -v t="$best" -v tm="$bestm" -v m="$peak" -v ps="$prev_sig" \
      -v pt="$prev_t" 'BEGIN {
      xs = (ps > 0) ? s / ps : 0; xt = (pt > 0) ? tm / pt : 0
      d = (xs > 1 && xt > 0) ? sprintf("%.2f", exp(log(xt) * log(2) / log(xs))) : "-"
      printf "%-22s %9d %9.3f %9.3f %9.2f %9.1f %11s\n", l, s, t, tm, (t > 0) ? tm / t : 0,
        m / 1024, d }'
    prev_sig=$sig prev_t=$bestm
  done
}

# Yosys doing the same merge as tessaro A B in DIR: both models read from
# BLIF, instantiated in a generated top module wired by name (an input named
# like an output of the other model is driven by it, an output of both is the
# or of both), flattened, written as BLIF. yosys_top writes DIR/top.v;
# yosys_once runs the merge once and prints "seconds status".
yosys_top() {
  local dir=$1 a=$2 b=$3
  python3 - "$dir/$a.blif" "$dir/$b.blif" "$dir/top.v" <<'PY'
import sys

def interface(path):
    model, ins, outs, key = None, [], [], None
    with open(path) as f:
        for line in f:
            words = line.split("#", 1)[0].replace("\\", " ").split()
            if not words:
                continue
            if words[0].startswith("."):
                key, words = words[0], words[1:]
                if key == ".model":
                    model = words[0]
            if key == ".inputs":
                ins += words
            elif key == ".outputs":
                outs += words
    return model, ins, outs

(ma, ia, oa), (mb, ib, ob) = interface(sys.argv[1]), interface(sys.argv[2])
both = set(oa) & set(ob)
wired = (set(oa) & set(ib)) | (set(ob) & set(ia))
top_in = sorted((set(ia) | set(ib)) - set(oa) - set(ob))
top_out = sorted((set(oa) | set(ob)) - wired)
nets = sorted(set(ia) | set(ib) | set(oa) | set(ob))
v = ["module top(%s);" % ", ".join(top_in + top_out)]
v += ["  input %s;" % n for n in top_in]
v += ["  output %s;" % n for n in top_out]
v += ["  wire %s;" % n for n in nets if n not in top_in and n not in top_out]
for k, (model, ins, outs) in enumerate(((ma, ia, oa), (mb, ib, ob))):
    ports = [".%s(%s)" % (n, n) for n in ins]
    ports += [".%s(%s)" % (n, "u%d__%s" % (k, n) if n in both else n) for n in outs]
    v += ["  wire %s;" % ("u%d__%s" % (k, n)) for n in outs if n in both]
    v.append("  %s u%d(%s);" % (model, k, ", ".join(ports)))
v += ["  assign %s = u0__%s | u1__%s;" % (n, n, n) for n in sorted(both)]
v.append("endmodule")
with open(sys.argv[3], "w") as f:
    f.write("\n".join(v) + "\n")
PY
}

yosys_once() {
  local dir=$1 a=$2 b=$3 t0 t1 st=0
  local script="read_blif $a.blif; read_blif $b.blif; read_verilog top.v; hierarchy -top top;"
  script+=" flatten; simplemap t:\$ff t:\$or; write_blif yosys_out.blif"
  t0=$EPOCHREALTIME
  (cd "$dir" && "$yosys" -q -p "$script" >yosys.txt 2>&1) || st=$?
  t1=$EPOCHREALTIME
  echo "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }') $st"
}

# min A B: the smaller of two decimal numbers, A when B is empty.
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }'; }

# Seconds of a fixed python loop: the same on the same machine when it is
# unloaded, so rows measured at other times can be compared.
calibration() {
  python3 -c 'import time
t = time.perf_counter()
s = 0
for i in range(3 * 10**6):
    s += i
print("%.3f" % (time.perf_counter() - t))'
}

# One row: tessaro and Yosys on the same pair, runs interleaved so that both
# see the same load; best of $runs each.
yosys_row() {
  local name=$1 dir a b t ty s st=0 r best='' besty='' lat want
  dir=$work/yosys_${name//:/_}
  read -r a b < <(make_pair "$name" "$dir") || true
  yosys_top "$dir" "$a" "$b"
  for ((r = 0; r < runs; r++)); do
    read -r t _ _ _ < <(run_once "$bin" "$dir" "$a" "$b")
    best=$(min "$t" "$best")
    read -r ty s < <(yosys_once "$dir" "$a" "$b")
    [ "$s" != 0 ] && st=$s
    besty=$(min "$ty" "$besty")
  done
  t=$best ty=$besty
  lat=$(grep -c '^\.latch' "$dir/yosys_out.blif" 2>/dev/null || true)
  want=$(cat "$dir/$a.blif" "$dir/$b.blif" | grep -c '^\.latch' || true)
  local note=ok
  [ "$st" != 0 ] && note="yosys exit $st"
  [ "$lat" != "$want" ] && note="$note; yosys wrote $lat latches of $want"
  awk -v l="$a+$b" -v t="$t" -v y="$ty" -v n="$note" 'BEGIN {
    printf "%-22s %9.3f %9.3f %9.2f   %s\n", l, t, y, (t > 0) ? y / t : 0, n }'
}

# The floor of a pair: tessaro once to capture what it writes, then the
# time bench/output_floor takes to write the same bytes through the same
# kinds of streams (best of $runs), beside tessaro's best of $runs.
floor_row() {
  local name=$1 dir a b t f r best='' bestf=''
  dir=$work/floor_${name//:/_}
  read -r a b < <(make_pair "$name" "$dir") || true
  for ((r = 0; r < runs; r++)); do
    read -r t _ _ _ < <(run_once "$bin" "$dir" "$a" "$b")
    best=$(min "$t" "$best")
    (cd "$dir" && "$floor_bin" stdout.txt stderr.txt "${a}_$b.blif" "${a}_$b.log" \
      floor_model.blif floor_log.log floor_time.txt >floor_out.txt 2>floor_err.txt)
    f=$(awk '{ printf "%.4f", $1 }' "$dir/floor_time.txt")
    bestf=$(min "$f" "$bestf")
  done
  local bytes
  bytes=$(cat "$dir/stdout.txt" "$dir/stderr.txt" "$dir/${a}_$b.blif" "$dir/${a}_$b.log" | wc -c)
  awk -v l="$a+$b" -v t="$best" -v f="$bestf" -v n="$bytes" 'BEGIN {
    printf "%-22s %9.1f %9.3f %9.4f %9.2f\n", l, n / 1e6, t, f, (f > 0) ? t / f : 0 }'
}

# The default pairs of --check-same, appended to the caller's `pairs`.
check_pairs() {
  local n
  if [ "$have_benchmarks" = 1 ]; then
    pairs+=("${bench_pairs[@]}" s38417:s38417)
  fi
  if [ -d "$benchmarks" ]; then
    # Every sequential circuit merged with the next one in size.
    local prev='' f
    for n in $(for f in "$benchmarks"/s*.blif; do
      [ -f "$f" ] && echo "$(stat -c %s "$f") $(basename "$f" .blif)"
    done | sort -n | cut -d' ' -f2); do
      [ -n "$prev" ] && pairs+=("$prev:$n")
      prev=$n
    done
  fi
  for n in $sizes; do pairs+=("gen:$n"); done
  pairs+=(fan:4000)
  for ((n = 0; n < seeds; n++)); do pairs+=("equiv:$n"); done
}

check_same() {
  need_binary "$old_bin"
  need_binary "$new_bin"
  old_bin=$(abs "$old_bin")
  new_bin=$(abs "$new_bin")
  local pairs=() name
  if [ -n "$only_pairs" ]; then
    read -r -a pairs <<<"$only_pairs"
  else
    check_pairs
  fi
  local diffs=0 dir a b f so sn what label
  for name in "${pairs[@]}"; do
    dir=$work/check_${name//:/_}
    a='' b=''
    read -r a b < <(make_pair "$name" "$dir/old") || true
    if [ -z "$b" ] || [ ! -f "$dir/old/$a.blif" ] || [ ! -f "$dir/old/$b.blif" ]; then
      printf '%-34s DIFFERENT: the pair could not be made\n' "$name"
      diffs=$((diffs + 1))
      continue
    fi
    mkdir -p "$dir/new"
    cp "$dir"/old/*.blif "$dir/new/"
    read -r _ _ _ so < <(run_once "$old_bin" "$dir/old" "$a" "$b")
    read -r _ _ _ sn < <(run_once "$new_bin" "$dir/new" "$a" "$b")
    what=
    [ "$so" != "$sn" ] && what="$what exit($so/$sn)"
    for f in stdout.txt stderr.txt "${a}_$b.blif" "${a}_$b.log"; do
      if [ -e "$dir/old/$f" ] || [ -e "$dir/new/$f" ]; then
        cmp -s "$dir/old/$f" "$dir/new/$f" || what="$what $f"
      fi
    done
    case $name in
      gen:* | fan:*) label="$a+$b (generated)" ;;
      equiv:*) label="gen_pair.py seed ${name#equiv:}" ;;
      *) label="$a+$b" ;;
    esac
    if [ -z "$what" ]; then
      printf '%-34s same\n' "$label"
    else
      printf '%-34s DIFFERENT:%s\n' "$label" "$what"
      diffs=$((diffs + 1))
    fi
    rm -rf "$dir"
  done
  echo "${#pairs[@]} pairs, $diffs different"
  [ "$diffs" = 0 ]
}

# Checks of this script's own parts on small pairs; ends with the count of
# passed and failed checks.
self_test() {
  need_binary "$bin"
  bin=$(abs "$bin")
  local passed=0 failed=0 dir=$work/self out st
  mkdir -p "$dir"
  check() {  # check NAME COMMAND...: one line per check
    if "${@:2}"; then
      echo "ok      $1"; passed=$((passed + 1))
    else
      echo "FAILED  $1"; failed=$((failed + 1))
    fi
  }
  # shellcheck disable=SC2317
  differ() { ! cmp -s "$1" "$2"; }
  # shellcheck disable=SC2317
  has() { [[ $1 == *"$2"* ]]; }
  # shellcheck disable=SC2317
  lacks() { ! grep -qw "$1" "$2"; }

  # The generator: same arguments, same bytes; another seed or side, others.
  python3 "$here/gen_circuit.py" 300 7 -o "$dir/g1.blif"
  python3 "$here/gen_circuit.py" 300 7 -o "$dir/g2.blif"
  python3 "$here/gen_circuit.py" 300 8 -o "$dir/g3.blif"
  python3 "$here/gen_circuit.py" 300 7 --side b -o "$dir/g4.blif"
  check "generator is deterministic" cmp -s "$dir/g1.blif" "$dir/g2.blif"
  check "generator seed changes the circuit" differ "$dir/g1.blif" "$dir/g3.blif"
  check "generator side changes the circuit" differ "$dir/g1.blif" "$dir/g4.blif"
  check "no rst without --fanout" lacks rst "$dir/g1.blif"
  python3 "$here/gen_circuit.py" 1000 7 --fanout 0.5 -o "$dir/g5.blif"
  local readers
  readers=$(grep '^\.names' "$dir/g5.blif" | grep -cw rst || true)
  check "--fanout 0.5: 400 to 600 of 1000 tables read rst" test "$readers" -ge 400 -a "$readers" -le 600

  # A generated pair merges: both sides' latches, two wires each way.
  local a b
  read -r a b < <(make_pair gen:400 "$dir/pair") || true
  read -r _ _ _ st < <(run_once "$bin" "$dir/pair" "$a" "$b")
  check "generated pair merges (exit 0)" test "$st" = 0
  check "merged pair keeps 2 x 20 latches" \
    test "$(grep -c '^\.latch' "$dir/pair/${a}_$b.blif")" = 40
  check "merged pair has 4 connections" test "$(grep -c -- '-->' "$dir/pair/stdout.txt")" = 4

  # Signal count: names of each file, not keywords, model names, rows or
  # comments; a name in both files counts twice.
  printf '.model m\n.inputs a \\\n b\n.outputs c\n# x y\n.names a b c\n1- 1\n.latch c _q1 0\n.end\n' \
    >"$dir/n1.blif"
  printf '.model c\n.inputs c\n.outputs d\n.names c d\n0 1\n.end\n' >"$dir/n2.blif"
  check "signal count" test "$(count_signals "$dir/n1.blif" "$dir/n2.blif")" = 6

  # The comparison: equal runs are the same; a byte more on standard error,
  # another exit status or another log line are each reported.
  # shellcheck disable=SC2016
  printf '#!/bin/sh\n"%s" "$@"; st=$?; echo >&2; exit $st\n' "$bin" >"$dir/err.sh"
  printf '#!/bin/sh\n"%s" "$@"; exit 3\n' "$bin" >"$dir/status.sh"
  # shellcheck disable=SC2016
  printf '#!/bin/sh\n"%s" "$@"; st=$?; echo >>"$1_$2.log"; exit $st\n' "$bin" >"$dir/log.sh"
  chmod +x "$dir"/*.sh
  compare() {  # compare NEW_BINARY: the output of --check-same against $bin
    (old_bin=$bin new_bin=$1 only_pairs="gen:200 equiv:1" check_same) 2>&1 || true
  }
  out=$(compare "$bin")
  check "same binary: same" has "$out" "2 pairs, 0 different"
  out=$(compare "$dir/err.sh")
  check "standard error differs" has "$out" "DIFFERENT: stderr.txt"
  check "both pairs differ" has "$out" "2 pairs, 2 different"
  out=$(compare "$dir/status.sh")
  check "exit status differs" has "$out" "DIFFERENT: exit(0/3)"
  out=$(compare "$dir/log.sh")
  check "log differs" has "$out" "DIFFERENT: ra100_rb100.log"

  # Yosys's merge is the same merge: same latches, and sequentially
  # equivalent to tessaro's output where ABC is at hand.
  local abc=''
  for n in berkeley-abc yosys-abc abc; do command -v "$n" >/dev/null 2>&1 && abc=$n && break; done
  if ! command -v "$yosys" >/dev/null 2>&1; then
    echo "skipped yosys wiring (yosys not installed)"
  else
    yosys_top "$dir/pair" "$a" "$b"
    read -r _ st < <(yosys_once "$dir/pair" "$a" "$b")
    check "yosys merge runs (exit 0)" test "$st" = 0
    check "yosys merge keeps 40 latches" \
      test "$(grep -c '^\.latch' "$dir/pair/yosys_out.blif")" = 40
    if [ -n "$abc" ]; then
      sed 's/\$/S_/g' "$dir/pair/yosys_out.blif" >"$dir/pair/yosys_abc.blif"
      out=$(cd "$dir/pair" && { "$abc" -c "dsec ${a}_$b.blif yosys_abc.blif" 2>&1 || true; })
      check "yosys merge is equivalent to tessaro's" has "$out" "Networks are equivalent"
    else
      echo "skipped equivalence of the yosys merge (no ABC)"
    fi
  fi
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
}

if [ "$mode" = check ]; then
  check_same
  exit
fi
if [ "$mode" = selftest ]; then
  self_test
  exit
fi

# Section (d), tessaro-merge beside tessaro.
merge_section() {
  if [ ! -x "$merge_bin" ]; then
    echo
    echo "no tessaro-merge binary at $merge_bin: section (d) skipped"
    return
  fi
  merge_bin=$(abs "$merge_bin")
  local gen=() n
  for n in $sizes; do gen+=("gen:$n"); done
  if [ "$have_benchmarks" = 1 ]; then
    merge_series "(d) tessaro-merge without a trace, beside tessaro: benchmark pairs" \
      "${bench_pairs[@]}"
  fi
  merge_series "(d') tessaro-merge without a trace, beside tessaro: generated pairs" "${gen[@]}"
}

need_binary "$bin"
bin=$(abs "$bin")
if [ "$mode" = merge ]; then
  echo "tessaro: $bin"
  echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; best of $runs runs"
  merge_section
  exit
fi
echo "tessaro: $bin"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; best of $runs runs"
echo "calibration: $(calibration) s for a fixed python loop (slower when the machine is busy)"
[ -x /usr/bin/time ] || echo "(peak memory from the children's rusage: /usr/bin/time not found)"

if [ "$have_benchmarks" = 1 ]; then
  series "(a) benchmark pairs" "${bench_pairs[@]}"
  series "(a') a file merged with itself" s38417:s38417
else
  echo
  echo "benchmark circuits not found beside the repository: series (a) skipped"
fi

gen=()
for n in $sizes; do gen+=("gen:$n"); done
series "(b) generated pairs (bench/gen_circuit.py GATES/2 1, sides a and b)" "${gen[@]}"
fan=()
for n in $sizes; do fan+=("fan:$n"); done
series "(c) generated pairs with a net of high fanout (--fanout 0.5: half the tables read rst)" \
  "${fan[@]}"

merge_section

echo
echo "yosys, the same merge (read_blif both, top module wired by name, flatten, write_blif)"
if [ "$yosys_on" = 0 ]; then
  echo "yosys: skipped (--no-yosys)"
elif ! command -v "$yosys" >/dev/null 2>&1; then
  echo "yosys not installed: skipped"
else
  "$yosys" -V
  printf '%-22s %9s %9s %9s   %s\n' pair tessaro_s yosys_s yosys/tes check
  [ "$have_benchmarks" = 1 ] && yosys_row s38417:s38584
  last=${gen[${#gen[@]}-1]}
  yosys_row "$last"
fi
echo
echo "the floor: the time to write the run's own output bytes (bench/output_floor)"
if [ ! -x "$floor_bin" ]; then
  echo "no output_floor binary at $floor_bin: skipped"
else
  printf '%-22s %9s %9s %9s %9s\n' pair out_MB tessaro_s floor_s x_floor
  [ "$have_benchmarks" = 1 ] && floor_row s38417:s38584
  floor_row "${gen[${#gen[@]}-1]}"
fi
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg); calibration: $(calibration) s"
