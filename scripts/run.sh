#!/usr/bin/env bash
# `make run`: starts Quorvane from the bundle the build laid out.
#
#   scripts/run.sh <build dir>
#
# In a desktop session ($DISPLAY set) the application runs there, with your own
# home and settings, until you choose "Quit Quorvane" or press Ctrl-C.
#
# Without a display (a server, a container) there is nobody to click, so it shows a
# preview and then exits: a private Xvfb display with a tray, a throwaway home whose
# client.json names a demo folder reported as synced, a click on the tray icon, and
# a screenshot of the open menu in <build dir>/screenshots/. Nothing of your own
# home is read or changed, and every process it started is ended.
set -euo pipefail

build=$(realpath "${1:-build}")
app="$build/Quorvane.app/Contents/MacOS/quorvane-menubar"
if [ ! -x "$app" ]; then
  echo "No front end at $app; build first (make build)." >&2
  exit 1
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting Quorvane; it lives in the tray. Quit it from its menu or with Ctrl-C."
  exec "$app"
fi

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=x11_session.sh
source "$here/x11_session.sh"

shots="$build/screenshots"
mkdir -p "$shots"
work=$(mktemp -d /tmp/quorvane-preview.XXXXXX)
X11_LOGS=$work
trap 'x11_end_session "$work"' EXIT
trap 'exit 130' INT TERM HUP

x11_throwaway_home "$work" Demo
x11_synced_status "$work/Demo" "All files are up to date"

echo "No display: previewing Quorvane on a private X display."
x11_start
x11_start_tray
"$app" >"$work/app.log" 2>&1 &
X11_APP_PID=$!
if ! x11_wait_for 20 x11_tray_icon; then
  echo "The tray icon did not appear. Output of the front end:" >&2
  cat "$work/app.log" >&2
  exit 1
fi
sleep 2.5  # the first refresh, 2 s after launch, shows the demo folder's status
x11_click_tray_icon
x11_wait_for 10 x11_app_window_taller_than 100 || echo "The menu did not open." >&2
sleep 0.3  # the menu's first paint
shot="$shots/menu-$(date +%Y%m%d-%H%M%S).png"
import -window root "$shot"
# The top right corner, where the tray and the menu are, at a readable size.
convert "$shot" -crop 360x360+664+0 +repage "${shot%.png}-tray.png"
echo "Screenshot of the open menu: $shot"
echo "                  close-up: ${shot%.png}-tray.png"
