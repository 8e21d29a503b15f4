#!/usr/bin/env bash
# The desktop application end to end, as a person meets it: on a private X display
# with a tray, from a copy of the bundle whose engine is the fake engine, with a
# throwaway home whose client.json names a folder, so the watch process starts.
#
#   tests/e2e/run.sh <Quorvane.app> <fake-engine> <build dir>
#
# Screenshots and logs stay in <build dir>/e2e. Every process started here is
# ended on the way out, also on failure.
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 <Quorvane.app> <fake-engine> <build dir>" >&2
  exit 2
fi
bundle=$(realpath "$1")
fake_engine=$(realpath "$2")
build=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/x11_session.sh
source "$here/../../scripts/x11_session.sh"

out="$build/e2e"
rm -rf "$out"
mkdir -p "$out"
X11_LOGS=$out
X11_TEST=e2e_desktop
# Digits only in the folder's name: the About alert shows it.
work=$(x11_work_dir e2e) || { echo "e2e_desktop: FAIL: no temporary folder" >&2; exit 1; }
app_pid=""
watch_pid=""

cleanup() {
  x11_end $app_pid $watch_pid
  x11_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

running_watch() {
  local child
  for child in $(pgrep -P "$app_pid" 2>/dev/null); do
    if tr '\0' ' ' <"/proc/$child/cmdline" 2>/dev/null | grep -q ' watch --config '; then
      watch_pid=$child
      return 0
    fi
  done
  return 1
}

# Clicks the icon and waits for the menu; sets menu_id.
open_menu() {
  x11_click_tray_icon || x11_fail "could not click the tray icon"
  x11_wait_for 10 x11_app_window_taller_than 100 || x11_fail "a click on the icon opened no menu"
  read -r menu_id _ < <(x11_app_window_taller_than 100)
}

# Chooses the item `count` places from the bottom of the open menu (1: "Quit
# Quorvane", 2: "About Quorvane"), as a person with a keyboard would.
choose_from_bottom() {
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Up; done
  xdotool key Return
  x11_wait_for 10 eval '! xwininfo -id '"$menu_id"' 2>/dev/null | grep -q IsViewable' ||
    x11_fail "the menu stayed open"
}

# Whether window `id` has the keyboard: there is no window manager to give it.
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# After `what` asked the app to quit: it ends with status 0 and its watch process
# ends with it.
expect_orderly_end() {
  local status=0
  x11_wait_for 20 eval "! kill -0 $app_pid 2>/dev/null" || x11_fail "$1 did not end the app"
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" -eq 0 ] || x11_fail "after $1 the front end ended with status $status"
  x11_wait_for 10 eval "[ ! -e /proc/$watch_pid ]" || x11_fail "the watch process outlived $1"
  watch_pid=""
}

app=$(x11_bundle_with_fake_engine "$bundle" "$fake_engine" "$work")
engine_dir=$(dirname "$app")
x11_throwaway_home "$work" Sync
x11_synced_status "$work/Sync" "All files are up to date"

x11_start || x11_fail "Xvfb did not start"
x11_step "display $DISPLAY"

# The tray starts after the application: its icon must still find the tray.
"$app" >"$out/app.log" 2>&1 &
app_pid=$!
sleep 1
kill -0 "$app_pid" 2>/dev/null || x11_fail "the front end ended at launch"
x11_start_tray
x11_wait_for 20 x11_tray_icon || x11_fail "the tray icon did not appear"
x11_step "tray icon: $(x11_tray_icon)"
x11_wait_for 10 running_watch || x11_fail "no watch process was started"
x11_step "watch process $watch_pid"

open_menu
import -window root "$out/menu-screen.png"
menu_text=$(x11_read_window "$menu_id" menu)
grep -q "About Quorvane" <<<"$menu_text" || x11_fail "the menu has no \"About Quorvane\""
grep -q "Quit Quorvane" <<<"$menu_text" || x11_fail "the menu has no \"Quit Quorvane\""

choose_from_bottom 2
x11_wait_for 10 x11_app_window_taller_than 100 || x11_fail "\"About Quorvane\" showed no alert"
read -r about_id _ < <(x11_app_window_taller_than 100)
about_text=$(x11_read_window "$about_id" about)
grep -q "Quorvane 0.2" <<<"$about_text" || x11_fail "the About alert does not read \"Quorvane 0.2\""
log_path="$XDG_DATA_HOME/Quorvane/sync.log"
x11_ocr_fold <<<"$about_text" | grep -qF "$(x11_ocr_fold <<<"Log: $log_path")" ||
  x11_fail "the About alert does not show the log path $log_path"
x11_step "About shows the log path"
xdotool key Return
x11_wait_for 10 eval '! x11_app_window_taller_than 100' || x11_fail "the About alert did not close"

# A second launch leaves at once; the first runs on with its one icon.
second=0
timeout 20 "$app" >"$out/second.log" 2>&1 || second=$?
[ "$second" -eq 0 ] || x11_fail "the second launch ended with status $second"
kill -0 "$app_pid" 2>/dev/null || x11_fail "the first instance ended with the second launch"
[ "$(x11_app_windows | awk '$4 <= 64 && $5 <= 64' | wc -l)" -eq 1 ] ||
  x11_fail "the second launch showed an icon of its own"
kill -0 "$watch_pid" 2>/dev/null || x11_fail "the watch process ended with the second launch"
x11_step "second launch left at once"

open_menu
choose_from_bottom 1
expect_orderly_end "\"Quit Quorvane\""
grep -q "fake-engine: watching" "$XDG_DATA_HOME/Quorvane/sync.log" ||
  x11_fail "the watch process's output is not in the sync log"
x11_step "quit from the menu stopped the watch process"

# The session ending (SIGTERM) while an alert is up also quits in order.
"$app" >>"$out/app.log" 2>&1 &
app_pid=$!
x11_wait_for 20 x11_tray_icon || x11_fail "the tray icon did not come back after a restart"
x11_wait_for 10 running_watch || x11_fail "no watch process after a restart"
open_menu
choose_from_bottom 2
x11_wait_for 10 x11_app_window_taller_than 100 || x11_fail "no About alert after the restart"
kill -TERM "$app_pid"
expect_orderly_end "SIGTERM during an alert"
x11_step "SIGTERM during an alert stopped the watch process"

# An unconfigured computer: after the chooser is dismissed, a second launch hands
# over a server connection file and the running instance signs in with it.
rm "$XDG_DATA_HOME/Quorvane/client.json"
server_file="$work/Office.quorvane-server"
echo '{}' >"$server_file"
mkdir "$work/Chosen"
echo '{"login": {"write_files": {"{--config}": {"folder": "{--folder}"}}}}' \
  >"$engine_dir/behaviour.json"
"$app" >>"$out/app.log" 2>&1 &
app_pid=$!
x11_wait_for 20 x11_app_window_taller_than 100 || x11_fail "no setup chooser on an unconfigured computer"
xdotool key Escape
x11_wait_for 10 eval '! x11_app_window_taller_than 100' || x11_fail "Escape did not close the chooser"
timeout 20 "$app" "$server_file" >>"$out/second.log" 2>&1 || x11_fail "the launch with a file failed"
x11_wait_for 10 x11_app_window_taller_than 100 || x11_fail "the opened file showed no sign-in alert"
read -r signin_id _ < <(x11_app_window_taller_than 100)
grep -q "Sign in to Quorvane" < <(x11_read_window "$signin_id" signin) || x11_fail "no sign-in alert"
x11_wait_for 10 focused "$signin_id" || x11_fail "the sign-in alert did not take the keyboard"
xdotool type --delay 30 "  ada "
xdotool key Tab
xdotool type --delay 30 " pass word "
xdotool key Return
x11_wait_for 10 x11_app_window_taller_than 400 || x11_fail "no folder panel after the sign-in alert"
read -r panel_id _ < <(x11_app_window_taller_than 400)
x11_wait_for 10 focused "$panel_id" || x11_fail "the folder panel did not take the keyboard"
xdotool type --delay 30 "$work/Chosen"
xdotool key Return
x11_wait_for 10 running_watch || x11_fail "no watch process after signing in"
x11_wait_for 10 x11_app_window_taller_than 100 || x11_fail "no alert after signing in"
read -r result_id _ < <(x11_app_window_taller_than 100)
grep -q "Signed in" < <(x11_read_window "$result_id" signed-in) || x11_fail "no \"Signed in\" alert"
login=$(jq -c 'select(.argv[0] == "login")' "$engine_dir/journal.jsonl")
jq -e --arg server "$server_file" --arg folder "$work/Chosen" \
  --arg config "$XDG_DATA_HOME/Quorvane/client.json" '
  .argv == ["login", "--profile", $server, "--folder", $folder, "--config", $config] and
  (.stdin | fromjson | .username == "  ada " and .password == " pass word " and
   (.device | test("^[A-Za-z0-9]{1,24}$")))' <<<"$login" >/dev/null ||
  x11_fail "the engine was not asked to log in as typed: $login"
! grep -rqF "pass word" "$HOME" "$out"/*.log || x11_fail "the password went into a file or a log"
x11_step "a file handed to the running instance signed in and started the watch"
xdotool key Return
kill -TERM "$app_pid"
expect_orderly_end "SIGTERM after signing in"
x11_step "passed (screenshots in $out)"
