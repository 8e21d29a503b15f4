#!/usr/bin/env bash
# The tray icon where panels show StatusNotifierItems (KDE Plasma, GNOME with the
# AppIndicator extension, Xfce...), with Debian's watcher and standalone tray as
# the host on a private display and bus; the menu read back over dbusmenu.
#
#   tests/e2e/sni_tray.sh <Quorvane.app> <fake-engine> <build dir>   (logs in <build dir>/e2e-sni)
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 <Quorvane.app> <fake-engine> <build dir>" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/x11_session.sh
source "$here/../../scripts/x11_session.sh"
x11_test_begin e2e_sni_tray "$(realpath "$3")/e2e-sni" sni
app=$(x11_bundle_with_fake_engine "$(realpath "$1")" "$(realpath "$2")" "$X11_WORK")
x11_throwaway_home "$X11_WORK" Sync
x11_synced_status "$X11_WORK/Sync" "Uploading my_report_v2.txt & notes & more"

x11_start || x11_fail "Xvfb did not start"
x11_start_session_bus || x11_fail "no session bus"
# The panel starts after the application, as it often does at login.
"$app" >"$X11_LOGS/app.log" 2>&1 &
X11_APP_PID=$!
sleep 1
x11_start_sni_tray || x11_fail "the StatusNotifierItem tray did not start"
x11_wait_for 10 x11_sni_watcher_says RegisteredStatusNotifierItems org.kde.StatusNotifierItem- ||
  x11_fail "the front end registered no StatusNotifierItem"
service=$(x11_sni_watcher RegisteredStatusNotifierItems | grep -oE "org\.kde\.StatusNotifierItem-[0-9-]+")
x11_step "registered as $service"

layout_has() {
  gdbus call --session -d "$service" -o /MenuBar -m com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []' \
    >"$X11_LOGS/layout.txt" 2>&1 && grep -qF -- "$1" "$X11_LOGS/layout.txt"
}

# The first refresh, two seconds after launch, puts the status into the menu.
# dbusmenu shows "__" as one underscore; '&' needs no escape there.
x11_wait_for 10 layout_has "'label': <'Uploading my__report__v2.txt & notes & more'>" ||
  x11_fail "the status line is not exported as the engine wrote it"
for entry in "'enabled': <false>, 'label': <'Set Up This Computer…'>" \
  "'label': <'Start at Login'>, 'toggle-state': <0>, 'toggle-type': <'checkmark'>"; do
  grep -qF -- "$entry" "$X11_LOGS/layout.txt" || x11_fail "the menu has no $entry"
done
[ "$(grep -o "'type': <'separator'>" "$X11_LOGS/layout.txt" | wc -l)" -eq 4 ] ||
  x11_fail "the menu has not its four separators"
x11_step "menu exported with exact labels, enabled states, check mark and separators"

# A left click on the icon in the host's panel opens the menu.
read -r _ x y _ h < <(x11_app_windows gtk-sni-tray-standalone | awk '$5 < 64') ||
  x11_fail "the tray has no panel"
x11_wait_for 10 eval '[ "$(import -window root -crop 28x28+0+0 -colorspace Gray -format "%[fx:standard_deviation]" info:)" != 0 ]' ||
  x11_fail "the host shows no icon"
xdotool mousemove $((x + 14)) $((y + h / 2)) click 1
x11_wait_for 10 x11_app_window_taller_than 100 gtk-sni-tray-standalone ||
  x11_fail "a left click on the icon opened no menu"
import -window root "$X11_LOGS/menu-open.png"

# While the host shows its menu (it said "opened", and not yet "closed"), the
# refresh tick goes on and the menu follows the status.
x11_synced_status "$X11_WORK/Sync" "Synced my_notes"
x11_wait_for 10 layout_has "'label': <'Synced my__notes'>" ||
  x11_fail "the menu did not follow the status while the host showed it"
x11_step "a left click opened the menu, which followed the status while open"

kill -TERM "$X11_APP_PID"
x11_wait_for 20 eval "! kill -0 $X11_APP_PID 2>/dev/null" || x11_fail "SIGTERM did not end the app"
X11_APP_PID=""
x11_step "passed"
