#!/usr/bin/env bash
# Figures of the desktop application at rest, measured, not asserted:
#   - time from exec to the icon docked in the tray,
#   - resident memory after 20 s idle,
#   - CPU time used over the following 60 s idle.
#
#   bench/desktop_figures.sh <build dir> [runs]
#
# Runs on a private Xvfb display with a tray, a throwaway home configured with a
# folder, and the fake engine as the engine when the build has it (it idles like
# the real watch process; the placeholder would exit and be restarted every 2 s).
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

cp -a "$build/Quorvane.app" "$work/Quorvane.app"
if [ -x "$build/tests/fake-engine" ]; then
  ln -sfn "$build/tests/fake-engine" "$work/Quorvane.app/Contents/MacOS/quorvane"
  export QUORVANE_FAKE_ENGINE_DIR="$work/engine"
  mkdir -p "$QUORVANE_FAKE_ENGINE_DIR"
fi
app="$work/Quorvane.app/Contents/MacOS/quorvane-menubar"

x11_throwaway_home "$work" Sync

x11_start
x11_start_tray
x11_wait_for 10 eval 'xdotool search --onlyvisible --class trayer' || {
  echo "trayer did not start" >&2
  exit 1
}

now() { date +%s.%N; }
ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # utime + stime

for run in $(seq "$runs"); do
  x11_synced_status "$work/Sync" "Up to date" "$(($(date +%s) + 3600))"
  start=$(now)
  "$app" >"$work/app-$run.log" 2>&1 &
  X11_APP_PID=$!
  until x11_tray_icon >/dev/null; do sleep 0.005; done
  docked=$(now)
  sleep 20
  rss_kb=$(awk '/^VmRSS/ {print $2}' "/proc/$X11_APP_PID/status")
  cpu_before=$(cpu_ticks "$X11_APP_PID")
  sleep 60
  cpu_after=$(cpu_ticks "$X11_APP_PID")
  kill -TERM "$X11_APP_PID"
  wait "$X11_APP_PID" || true
  X11_APP_PID=""
  awk -v run="$run" -v s="$start" -v d="$docked" -v rss="$rss_kb" \
    -v c=$((cpu_after - cpu_before)) -v hz="$ticks" 'BEGIN {
      printf "run %d: icon after %.3f s; resident %.1f MB after 20 s idle; CPU %.2f s over 60 s idle\n",
        run, d - s, rss / 1024, c / hz }'
  # The tray drops the icon when the process ends; wait so the next run starts clean.
  x11_wait_for 10 eval '! x11_tray_icon' || true
done
