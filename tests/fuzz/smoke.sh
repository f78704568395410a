#!/usr/bin/env bash
# Smoke run of one fuzz target: a fixed number of inputs from a fixed seed.
#   smoke.sh TARGET SCRATCH_DIR DICT CORPUS...
# New inputs go to SCRATCH_DIR, emptied first; the corpora are only read.
set -euo pipefail
target=$1 scratch=$2 dict=$3
shift 3
rm -rf "$scratch"
mkdir -p "$scratch/artifacts"
exec "$target" -runs="${FUZZ_SMOKE_RUNS:-20000}" -seed=1 -max_len=4096 -timeout=20 \
  -rss_limit_mb=2048 -dict="$dict" -artifact_prefix="$scratch/artifacts/" -print_final_stats=1 \
  "$scratch" "$@"
