#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzzing build for a given time, two at a time,
# each from its seed corpus in the repository (copied, so the repository is not
# changed). Fails on the first crash, hang, leak or excessive memory use.
#
#   scripts/fuzz.sh <fuzz build dir> <seconds per target>
set -euo pipefail

build=$(realpath "$1")
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/quorvane-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT

targets=()
while IFS= read -r target; do targets+=("$target"); done \
  < <(find "$build" -type f -perm -u+x -name '*_fuzz' | sort)
[ ${#targets[@]} -gt 0 ] || { echo "No fuzz targets in $build" >&2; exit 1; }

run_one() {
  local target=$1 name corpus seeds
  name=$(basename "$target" _fuzz)
  corpus="$work/$name"
  mkdir -p "$corpus"
  seeds=$(find "$root" -path "*/corpus/$name" -type d -not -path "$build/*" | head -n 1)
  [ -n "$seeds" ] && cp -r "$seeds/." "$corpus/"
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=0 -artifact_prefix="$work/$name-" "$corpus" >"$work/$name.log" 2>&1; then
    echo "fuzz $name: $(grep -o 'Done [0-9]* runs' "$work/$name.log" | tail -n 1 || echo done), no fault"
  else
    echo "fuzz $name: FAILED" >&2
    tail -n 40 "$work/$name.log" >&2
    return 1
  fi
}

status=0
pids=()
for target in "${targets[@]}"; do
  run_one "$target" &
  pids+=($!)
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
