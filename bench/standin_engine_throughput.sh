#!/usr/bin/env bash
# Figures of the stand-in engine and its home server on loopback, each beside a
# floor measured in the same run on the same disk. Measured, not asserted:
#   - the first upload of 10,000 small files, against `cp -r` + `sync`;
#   - the upload, then the download, of one 1 GB file, against `cp` + `sync`,
#     with the peak resident memory of the engine and of the server;
#   - a pass with nothing changed over 100,000 files, against one `stat` of each;
#   - twenty computers at once, 500 new files each, until every one is in sync,
#     against one computer uploading 10,000.
#
#   bench/standin_engine_throughput.sh <build dir>
#
# Works in a throwaway folder inside the build directory. Caches are warm: the
# data was just written.
set -euo pipefail

build=$(realpath "${1:-build}")
engine="$build/standin-engine/quorvane"
server="$build/standin-engine/quorvane-server"
[ -x "$engine" ] && [ -x "$server" ] || { echo "no engine or server in $build; build first" >&2; exit 1; }
work=$(mktemp -d "$build/throughput.XXXXXX")
server_pid=
stop_server() {
  [ -n "$server_pid" ] && kill -TERM "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  server_pid=
}
trap 'stop_server; rm -rf "$work"' EXIT

password="throughput bench password"
printf '{"username":"bench","display_name":"","password":"%s"}' "$password" |
  "$server" init --data "$work/server" --address 127.0.0.1:0 --output "$work/home.quorvane-server"
# serve: a fresh server process, so that its peak memory is this measure's
# alone; first on a port the system picks, then on the same one again.
address=127.0.0.1:0
serve() {
  stop_server
  "$server" serve --data "$work/server" --listen "$address" 2>"$work/server.log" &
  server_pid=$!
  until address=$(sed -n 's/^Quorvane Home is listening on \(.*\)\.$/\1/p' "$work/server.log") &&
    [ -n "$address" ]; do sleep 0.05; done
  jq --arg a "$address" '.address = $a' "$work/home.quorvane-server" >"$work/profile"
}
server_peak_mb() { awk '/VmHWM/ {printf "%.0f", $2 / 1024}' "/proc/$server_pid/status"; }

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
time_of() {
  local start
  start=$(now)
  "$@" >/dev/null
  seconds "$start" "$(now)"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1fx", (b > 0 ? a / b : 0) }'; }
copy_and_sync() { cp -r "$1" "$2" && sync; }
# account <name>: a new account, so that each figure's files stay its own.
account() {
  printf '{"username":"%s","display_name":"","current_password":"","password":"%s"}' "$1" "$password" |
    "$engine" account-create --config "$work/up/client.json"
}
# sign_in <name> [account]: a computer with an empty sync folder; prints its configuration.
sign_in() {
  mkdir -p "$work/$1/Sync"
  printf '{"username":"%s","password":"%s","device":"%s"}' "${2:-bench}" "$password" "$1" |
    "$engine" login --profile "$work/profile" --folder "$work/$1/Sync" --config "$work/$1/client.json"
  echo "$work/$1/client.json"
}
pass() { "$engine" watch --config "$1" --once; }
# small_files <folder> <count>: files of 4 KiB, 100 to a folder, from one stream each.
small_files() {
  for ((d = 0; d < $2 / 100; d++)); do
    mkdir -p "$1/d$d"
    head -c $((100 * 4096)) /dev/urandom | split -b 4096 -a 2 - "$1/d$d/f"
  done
}
row() { printf '%-44s %9s   %-24s %9s   %s\n' "$@"; }

serve
echo "Stand-in engine and server on loopback (each figure beside its floor, this run):"
row "figure" "seconds" "floor" "seconds" "ratio / notes"

# 1. The first upload of 10,000 small files.
small_files "$work/small" 10000
up=$(sign_in up)
floor=$(time_of copy_and_sync "$work/small" "$work/small-copy")
cp -r "$work/small/." "$work/up/Sync/"
sync
figure=$(time_of pass "$up")
row "first upload, 10,000 files of 4 KiB" "$figure" "cp -r + sync" "$floor" "$(ratio "$figure" "$floor") (goal <= 2x)"

# 2. One 1 GB file up, then down, with each process's peak memory; the server
# is started afresh after the sign-ins, whose password hashing takes 64 MB.
account big
big_up=$(sign_in big-up big)
big_down=$(sign_in big-down big)
serve
head -c $((1024 * 1024 * 1024)) /dev/urandom >"$work/big.bin"
sync
floor=$(time_of copy_and_sync "$work/big.bin" "$work/big-copy.bin")
cp "$work/big.bin" "$work/big-up/Sync/"
sync
for direction in upload download; do
  config=$big_up
  [ "$direction" = download ] && config=$big_down
  start=$(now)
  engine_kb=$(/usr/bin/time -f '%M' "$engine" watch --config "$config" --once 2>&1 >/dev/null | tail -n 1)
  figure=$(seconds "$start" "$(now)")
  row "$direction of one 1 GB file" "$figure" "cp + sync" "$floor" \
    "$(ratio "$figure" "$floor") (goal <= 2x); engine $((engine_kb / 1024)) MB, server $(server_peak_mb) MB peak resident"
done
cmp -s "$work/big.bin" "$work/big-down/Sync/big.bin" || echo "  the downloaded file differs!"
rm -f "$work/big.bin" "$work/big-copy.bin" "$work/big-up/Sync/big.bin" "$work/big-down/Sync/big.bin"

# 3. A pass with nothing changed over 100,000 files.
account many
many=$(sign_in many many)
small_files "$work/many/Sync" 100000
pass "$many" >/dev/null
# The pass after the upload reads again every file that was read within two
# seconds of its last change (all of them here); the passes after it only stat.
floor=$(time_of find "$work/many/Sync" -path '*/.quorvane' -prune -o -printf '%s %T@\n')
figure=$(time_of pass "$many")
row "next pass, files read again" "$figure" "one stat of each (find)" "$floor" "$(ratio "$figure" "$floor")"
figure=$(time_of pass "$many")
row "unchanged pass, 100,000 files" "$figure" "one stat of each (find)" "$floor" "$(ratio "$figure" "$floor") (goal <= 3x and < 0.5 s)"

# 4. Twenty computers at once, 500 new files each, until every one is in sync.
account alone
account crowd
alone=$(sign_in alone alone)
small_files "$work/alone/Sync" 10000
floor=$(time_of pass "$alone")
configs=()
for ((c = 0; c < 20; c++)); do
  configs+=("$(sign_in "crowd$c" crowd)")
  small_files "$work/crowd$c/Sync/c$c" 500
done
# converged: how many of the twenty hold all 10,000 files.
converged() {
  local count=0
  for ((c = 0; c < 20; c++)); do
    [ "$(find "$work/crowd$c/Sync" -path '*/.quorvane' -prune -o -type f -print | wc -l)" -ge 10000 ] &&
      count=$((count + 1))
  done
  echo "$count"
}
start=$(now)
rounds=0
while [ "$rounds" -lt 10 ]; do
  rounds=$((rounds + 1))
  pids=()
  for config in "${configs[@]}"; do pass "$config" >/dev/null 2>&1 & pids+=($!); done
  failed=0
  for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
  [ "$failed" = 0 ] && [ "$(converged)" = 20 ] && break
done
figure=$(seconds "$start" "$(now)")
row "20 computers x 500 new files, all in sync" "$figure" "one computer, 10,000" "$floor" \
  "$(ratio "$figure" "$floor"); $(converged) of 20 hold all 10,000 files after $rounds rounds of passes"
