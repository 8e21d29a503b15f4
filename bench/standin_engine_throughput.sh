#!/usr/bin/env bash
# Throughput of the stand-in engine, measured, not asserted: one `watch --once`
# pass over 10,000 small files and over one 1 GB file, against `cp -r` of the
# same data on the same disk (with and without a `sync` after it, since a pass
# flushes its objects before the catalogue names them).
#
#   bench/standin_engine_throughput.sh <build dir>
#
# Works in a throwaway folder inside the build directory, so that every copy is
# on the same disk. Caches are warm: the data was just written.
set -euo pipefail

build=$(realpath "${1:-build}")
engine="$build/standin-engine/quorvane"
[ -x "$engine" ] || { echo "no engine at $engine; build first" >&2; exit 1; }
work=$(mktemp -d "$build/throughput.XXXXXX")
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
# time_of <command…>: the wall-clock seconds the command took.
time_of() {
  local start
  start=$(now)
  "$@" >/dev/null
  seconds "$start" "$(now)"
}
copy_and_sync() { cp -r "$1" "$2" && sync; }
pass() { "$engine" watch --config "$1" --once; }

printf '{"username":"bench","display_name":"","password":"throughput bench password"}' |
  "$engine" server-init --server "$work/server" --output "$work/home.quorvane-server"
# sign_in <name>: a computer with an empty sync folder; prints its configuration.
sign_in() {
  mkdir -p "$work/$1/Sync"
  printf '{"username":"bench","password":"throughput bench password","device":"%s"}' "$1" |
    "$engine" login --profile "$work/home.quorvane-server" --folder "$work/$1/Sync" \
      --config "$work/$1/client.json"
  echo "$work/$1/client.json"
}

# measure <label> <make data in folder>: one dataset, uploaded by one computer and
# downloaded by another, beside cp -r of the same data.
measure() {
  local label=$1 make=$2 up down
  up=$(sign_in "up-$label")
  down=$(sign_in "down-$label")
  mkdir -p "$work/data-$label"
  "$make" "$work/data-$label"
  local size
  size=$(du -sh "$work/data-$label" | cut -f1)
  cp -r "$work/data-$label/." "$work/up-$label/Sync/"
  sync
  printf '%-22s %6s  cp -r %6s s  cp -r + sync %6s s  upload pass %6s s  download pass %6s s  unchanged pass %6s s\n' \
    "$label" "$size" \
    "$(time_of cp -r "$work/data-$label" "$work/copy1-$label")" \
    "$(time_of copy_and_sync "$work/data-$label" "$work/copy2-$label")" \
    "$(time_of pass "$up")" \
    "$(time_of pass "$down")" \
    "$(time_of pass "$up")"
}

small_files() {
  for d in $(seq 0 99); do
    mkdir -p "$1/d$d"
    for f in $(seq 0 99); do head -c $((1024 + (d * 100 + f) % 7168)) /dev/urandom >"$1/d$d/f$f"; done
  done
}
one_gigabyte() { head -c $((1024 * 1024 * 1024)) /dev/urandom >"$1/big.bin"; }

measure "10,000 small files" small_files
measure "one 1 GB file" one_gigabyte
