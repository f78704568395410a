#!/usr/bin/env bash
# Long fuzzing campaign of the targets built in build/fuzz (TESSARO_FUZZ).
#   tests/fuzz/run_long.sh [-t TARGETS] [-s SECONDS | -r RUNS] [-j JOBS] -c CORPUS -a ARTIFACTS
#     -t  comma-separated targets among parse,general,run (default: all)
#     -s  seconds per target (default 600); -r runs per job instead
#     -j  parallel jobs per target (default 1)
#     -c  corpus folder, one subfolder per target; grows (keep it outside the repo)
#     -a  folder of the inputs that found a fault (crash-*, leak-*, timeout-*, oom-*)
#     -b  build folder (default build/fuzz)
# FUZZ_FLAGS adds libFuzzer flags (-len_control=0 tries long inputs at once).
# Each target starts from its corpus, the seeds and the kept regressions, and
# logs in ARTIFACTS/<target>/. An input that found a fault belongs in
# tests/fuzz/regressions/<target>/ once the fault is fixed.
set -euo pipefail

# All in one function: bash reads it whole, so an edit of this file does not
# change a campaign already running.
main() {
  here=$(cd "$(dirname "$0")" && pwd)
  targets=parse,general,run seconds=600 runs="" jobs=1 corpus="" artifacts="" build=""
  while getopts "t:s:r:j:c:a:b:" opt; do
    case $opt in
      t) targets=$OPTARG ;;
      s) seconds=$OPTARG ;;
      r) runs=$OPTARG ;;
      j) jobs=$OPTARG ;;
      c) corpus=$OPTARG ;;
      a) artifacts=$OPTARG ;;
      b) build=$OPTARG ;;
      *) sed -n '2,14p' "$0"; exit 2 ;;
    esac
  done
  if [[ -z $corpus || -z $artifacts ]]; then
    sed -n '2,14p' "$0"
    exit 2
  fi
  build=${build:-$here/../../build/fuzz}
  status=0
  for t in ${targets//,/ }; do
    bin=$build/tests/fuzz/tessaro_fuzz_$t
    if [[ ! -x $bin ]]; then
      echo "no target $bin: configure with -DTESSARO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ and build" >&2
      exit 2
    fi
    mkdir -p "$corpus/$t" "$artifacts/$t"
    limit=(-max_total_time="$seconds")
    [[ -n $runs ]] && limit=(-runs="$runs")
    # One job runs in this process; more run as libFuzzer's own workers.
    ((jobs > 1)) && limit+=(-jobs="$jobs" -workers="$jobs")
    echo "== $t: ${limit[*]}, $jobs job(s)"
    (cd "$artifacts/$t" &&
      ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 "$bin" "${limit[@]}" \
        -max_len=4096 -timeout=20 -rss_limit_mb=2048 \
        -dict="$here/blif.dict" -artifact_prefix="$artifacts/$t/" -print_final_stats=1 \
        ${FUZZ_FLAGS:-} "$corpus/$t" "$build/tests/fuzz/seeds/$t" "$here/regressions/$t" \
        > "$artifacts/$t/fuzz.log" 2>&1) || status=1
    # With -jobs, each job logs to fuzz-N.log in the current folder.
    grep -h -E "^#[0-9]+.*DONE|stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|cov:.*ft:" \
      "$artifacts/$t"/fuzz*.log | grep -E "DONE|stat::" || true
    ls "$artifacts/$t" | grep -E "^(crash|leak|timeout|oom|slow-unit)-" || true
  done
  return $status
}
main "$@"
exit
