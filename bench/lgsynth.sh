#!/usr/bin/env bash
# Wide real functions: every LGSynth'91 file of the raw benchmark folder,
# converted to the subset (bench/lgsynth_convert.py) and merged with an empty
# model, then with itself. One row per file and run: status, seconds of wall
# time and peak resident MB.
#
# Usage:
#   bench/lgsynth.sh [-b BINARY] [--raw DIR] [--self] [--compare OLD_BINARY]
#
# BINARY defaults to build/release/tessaro, DIR to
# ../shared/benchmarks/raw/lgsynth beside the repository. Status is "ok",
# "limit" (the product-limit stop, which names the signal), "timeout" (past
# 60 s) or "exit:N". --self adds the merge of each file with itself.
# --compare also runs OLD_BINARY and reports, for the runs where both
# finish, whether every byte written (status, both streams, output and log)
# is the same.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
bin=$root/build/release/tessaro
raw=$root/../shared/benchmarks/raw/lgsynth
self=0
old=

while [ $# -gt 0 ]; do
  case $1 in
    -b) bin=$2; shift 2 ;;
    --raw) raw=$2; shift 2 ;;
    --self) self=1; shift ;;
    --compare) old=$2; shift 2 ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "lgsynth.sh: unknown argument $1" >&2; exit 1 ;;
  esac
done
if [ ! -d "$raw" ]; then
  echo "lgsynth.sh: no folder $raw (skipped)"
  exit 0
fi
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")
[ -n "$old" ] && old=$(cd "$(dirname "$old")" && pwd)/$(basename "$old")

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaro-lgsynth.XXXXXX")
trap 'rm -rf "$work"' EXIT
printf '.model empty\n.end\n' > "$work/empty.blif"

# run BINARY DIR A B: runs one merge in DIR; prints "status seconds MB".
run() {
  local binary=$1 dir=$2 a=$3 b=$4 status seconds kb
  (cd "$dir" && /usr/bin/time -f "%e %M" -o time.txt timeout 60 "$binary" "$a" "$b" \
     > out.txt 2> err.txt) && status=0 || status=$?
  read -r seconds kb <<< "$(tail -n 1 "$dir/time.txt")"
  if [ "$status" = 0 ]; then
    status=ok
  elif [ "$status" = 124 ]; then
    status=timeout
  elif grep -q "^cover of signal .*: more than" "$dir/err.txt"; then
    status=limit
  else
    status="exit:$status"
  fi
  echo "$status $seconds $((kb / 1024))"
}

printf '%-12s %-6s %-8s %8s %8s%s\n' file with status seconds peak_MB "${old:+  same_as_old}"
for file in "$raw"/*.blif; do
  name=$(basename "$file" .blif)
  name=${name//./_}
  for with in empty self; do
    [ "$with" = self ] && [ "$self" = 0 ] && continue
    dir=$work/$name.$with
    mkdir -p "$dir"
    python3 "$here/lgsynth_convert.py" "$file" "$dir/$name.blif"
    cp "$work/empty.blif" "$dir/"
    other=$([ "$with" = self ] && echo "$name" || echo empty)
    read -r status seconds mb <<< "$(run "$bin" "$dir" "$name" "$other")"
    same=
    if [ -n "$old" ]; then
      mkdir -p "$dir/old"
      cp "$dir/$name.blif" "$dir/empty.blif" "$dir/old/"
      read -r old_status _ _ <<< "$(run "$old" "$dir/old" "$name" "$other")"
      if [ "$old_status" = timeout ] || [ "$status" = timeout ]; then
        same="  (old: $old_status)"
      elif cmp -s "$dir/out.txt" "$dir/old/out.txt" && cmp -s "$dir/err.txt" "$dir/old/err.txt" &&
           cmp -s "$dir/${name}_$other.blif" "$dir/old/${name}_$other.blif" &&
           cmp -s "$dir/${name}_$other.log" "$dir/old/${name}_$other.log" &&
           [ "$status" = "$old_status" ]; then
        same="  same"
      else
        same="  DIFFERENT (old: $old_status)"
      fi
    fi
    printf '%-12s %-6s %-8s %8s %8s%s\n' "$name" "$with" "$status" "$seconds" "$mb" "$same"
  done
done
