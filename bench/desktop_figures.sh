#!/usr/bin/env bash
# Figures of the desktop application at rest, each beside the same figure of a
# floor measured in the same run: a minimal Qt 6 tray program (bench/floor/) with
# an icon, a fifteen-item menu and a 2-second timer that reads a small file into
# its tooltip. Measured, not asserted:
#   - time from exec to the icon docked in the tray,
#   - resident memory after 20 s idle,
#   - CPU time used over the following 60 s idle (from the scheduler, in ms).
#
#   bench/desktop_figures.sh <build dir> [runs]      (prints the median of the runs)
#
# Both run on a private Xvfb display with a tray, in a throwaway home configured
# with a folder; the application's engine is the fake engine, which idles like a
# watch process that has nothing to do.
set -euo pipefail

build=$(realpath "${1:-build}")
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../scripts/x11_session.sh
source "$here/../scripts/x11_session.sh"

work=$(mktemp -d /tmp/quorvane-figures.XXXXXX)
X11_LOGS=$work
trap 'x11_end_session "$work"' EXIT
trap 'exit 130' INT TERM HUP

app=$(x11_bundle_with_fake_engine "$build/Quorvane.app" "$build/tests/fake-engine" "$work")
floor="$work/minimal_tray"
# shellcheck disable=SC2046
g++ -std=c++20 -O2 -g -DNDEBUG -fPIC "$here/floor/minimal_tray.cpp" -o "$floor" \
  $(pkg-config --cflags --libs Qt6Widgets)
icon="$here/../resources/icons/symbols/checkmark.icloud.svg"

x11_throwaway_home "$work" Sync
x11_start
x11_start_tray
x11_wait_for 10 eval 'xdotool search --onlyvisible --class trayer' || {
  echo "trayer did not start" >&2
  exit 1
}

now() { date +%s.%N; }
cpu_ns() { awk '{print $1}' "/proc/$1/schedstat"; }

# measure <label> <window class name> <command...>: one line per run,
# "seconds-to-icon resident-MB cpu-ms".
measure() {
  local label=$1 class=$2 run start docked rss_kb cpu_before cpu_after
  shift 2
  for run in $(seq "$runs"); do
    x11_synced_status "$work/Sync" "Up to date" "$(($(date +%s) + 3600))"
    start=$(now)
    "$@" >"$work/$label-$run.log" 2>&1 &
    X11_APP_PID=$!
    until x11_tray_icon "$class" >/dev/null; do sleep 0.005; done
    docked=$(now)
    sleep 20
    rss_kb=$(awk '/^VmRSS/ {print $2}' "/proc/$X11_APP_PID/status")
    cpu_before=$(cpu_ns "$X11_APP_PID")
    sleep 60
    cpu_after=$(cpu_ns "$X11_APP_PID")
    kill -TERM "$X11_APP_PID"
    wait "$X11_APP_PID" || true
    X11_APP_PID=""
    awk -v s="$start" -v d="$docked" -v rss="$rss_kb" -v c=$((cpu_after - cpu_before)) \
      'BEGIN { printf "%.4f %.2f %.1f\n", d - s, rss / 1024, c / 1e6 }' >>"$work/$label.figures"
    # The tray drops the icon when the process ends; wait so the next run starts clean.
    x11_wait_for 10 eval "! x11_tray_icon $class" || true
  done
}

# The median of column `$2` of file `$1`.
median() { awk -v c="$2" '{print $c}' "$1" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Interleaved, so that a change of load on the machine falls on both alike.
for _ in $(seq "$runs"); do
  runs=1 measure app quorvane-menubar "$app"
  runs=1 measure floor minimal_tray "$floor" "$icon" "$work/Sync/.quorvane/status.json"
done

echo "Desktop figures, median of $runs runs each (application / floor = ratio):"
for column in 1 2 3; do
  name=$(echo "exec to icon docked (s)|resident memory after 20 s idle (MB)|CPU over the next 60 s idle (ms)" |
    cut -d'|' -f"$column")
  goal=$(echo "at most 1.3x|at most 1.2x|at most 1.5x" | cut -d'|' -f"$column")
  a=$(median "$work/app.figures" "$column")
  f=$(median "$work/floor.figures" "$column")
  awk -v n="$name" -v a="$a" -v f="$f" -v g="$goal" \
    'BEGIN { printf "  %-40s %9s / %9s = %5.2fx   goal %s\n", n, a, f, (f > 0 ? a / f : 0), g }'
done
echo "Every run (seconds to icon, MB, ms): application"
sed 's/^/  /' "$work/app.figures"
echo "floor"
sed 's/^/  /' "$work/floor.figures"
