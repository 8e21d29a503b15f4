#!/usr/bin/env bash
# The desktop application as a person meets it, on a private X display with an
# XEmbed tray, the fake engine in a copy of the bundle, a throwaway home.
# Configured: the icon, the menu, Quit. Unconfigured: a server connection file
# handed over by a second launch signs in; SIGTERM during an alert quits in order.
#
#   tests/e2e/run.sh <Quorvane.app> <fake-engine> <build dir>   (logs in <build dir>/e2e)
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 <Quorvane.app> <fake-engine> <build dir>" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/x11_session.sh
source "$here/../../scripts/x11_session.sh"
x11_test_begin e2e_desktop "$(realpath "$3")/e2e" e2e
work=$X11_WORK
app=$(x11_bundle_with_fake_engine "$(realpath "$1")" "$(realpath "$2")" "$work")
engine_dir=$(dirname "$app")
x11_throwaway_home "$work" Sync
x11_synced_status "$work/Sync" "All files are up to date"
support="$XDG_DATA_HOME/Quorvane"

# The watch process of the front end, once there is one; sets watch_pid.
running_watch() {
  local child
  for child in $(pgrep -P "$X11_APP_PID"); do
    tr '\0' ' ' <"/proc/$child/cmdline" 2>/dev/null | grep -q ' watch --config ' || continue
    watch_pid=$child
    return 0
  done
  return 1
}

# A window of the front end taller than `$1` once it is up; sets window. Else fails with `$2`.
await_window() {
  x11_wait_for 10 x11_app_window_taller_than "$1" || x11_fail "$2"
  read -r window _ < <(x11_app_window_taller_than "$1")
}

# Chooses the item `$1` places from the bottom of the menu (1: "Quit Quorvane") by keyboard.
choose_from_menu_bottom() {
  x11_click_tray_icon || x11_fail "could not click the tray icon"
  await_window 100 "a click on the icon opened no menu"
  local menu=$window i
  for ((i = 0; i < $1; i++)); do xdotool key Up; done
  xdotool key Return
  x11_wait_for 10 eval '! xwininfo -id '"$menu"' 2>/dev/null | grep -q IsViewable' ||
    x11_fail "the menu stayed open"
}

# Whether window `$1` has the keyboard: there is no window manager to give it.
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# After `$1` asked the app to quit: it ends with status 0, its watch process with it.
expect_orderly_end() {
  local status=0
  x11_wait_for 20 eval "! kill -0 $X11_APP_PID 2>/dev/null" || x11_fail "$1 did not end the app"
  wait "$X11_APP_PID" || status=$?
  X11_APP_PID=""
  [ "$status" -eq 0 ] || x11_fail "after $1 the front end ended with status $status"
  x11_wait_for 10 eval "[ ! -e /proc/$watch_pid ]" || x11_fail "the watch process outlived $1"
}

x11_start || x11_fail "Xvfb did not start"
# The tray starts after the application: its icon must still find the tray.
"$app" >"$X11_LOGS/app.log" 2>&1 &
X11_APP_PID=$!
sleep 1
kill -0 "$X11_APP_PID" 2>/dev/null || x11_fail "the front end ended at launch"
x11_start_tray
x11_wait_for 20 x11_tray_icon || x11_fail "the tray icon did not appear"
x11_wait_for 10 running_watch || x11_fail "no watch process was started"
x11_step "icon docked in the tray; watch process $watch_pid"

choose_from_menu_bottom 1
expect_orderly_end "\"Quit Quorvane\""
grep -q "fake-engine: watching" "$support/sync.log" || x11_fail "no watch output in the sync log"
x11_step "\"Quit Quorvane\" stopped the watch process"

# Unconfigured: the setup chooser dismissed, a second launch hands over a server
# connection file and the running instance signs in with it.
rm "$support/client.json"
server_file="$work/Office.quorvane-server"
echo '{}' >"$server_file"
mkdir "$work/Chosen"
printf '{"login": {"write_files": {"%s": {"folder": "%s"}}}}' "$support/client.json" "$work/Chosen" \
  >"$engine_dir/behaviour.json"
"$app" >>"$X11_LOGS/app.log" 2>&1 &
X11_APP_PID=$!
await_window 100 "no setup chooser on an unconfigured computer"
x11_ocr_fold < <(x11_read_window "$window" chooser) | grep -qF "$(x11_ocr_fold <<<"Connect this computer")" ||
  x11_fail "the setup chooser does not read \"Connect this computer\""
xdotool key Escape
x11_wait_for 10 eval '! x11_app_window_taller_than 100' || x11_fail "Escape left the chooser open"
timeout 20 "$app" "$server_file" >>"$X11_LOGS/second.log" 2>&1 || x11_fail "the launch with a file failed"
await_window 100 "the opened file showed no sign-in alert"
grep -q "Sign in to Quorvane" < <(x11_read_window "$window" signin) || x11_fail "no sign-in alert"
x11_wait_for 10 focused "$window" || x11_fail "the sign-in alert did not take the keyboard"
xdotool type --delay 30 "  ada "
xdotool key Tab
xdotool type --delay 30 " pass word "
xdotool key Return
await_window 400 "no folder panel after the sign-in alert"
x11_wait_for 10 focused "$window" || x11_fail "the folder panel did not take the keyboard"
xdotool type --delay 30 "$work/Chosen"
xdotool key Return
x11_wait_for 10 running_watch || x11_fail "no watch process after signing in"
await_window 100 "no alert after signing in"
signed_in=$(x11_read_window "$window" signed-in)
grep -q "Signed in" <<<"$signed_in" || x11_fail "no \"Signed in\" alert"
x11_ocr_fold <<<"$signed_in" | grep -qF "$(x11_ocr_fold <<<"This computer will now synchronise")" ||
  x11_fail "the \"Signed in\" alert does not say \"This computer will now synchronise\""
login=$(jq -c 'select(.argv[0] == "login")' "$engine_dir/journal.jsonl")
jq -e --arg server "$server_file" --arg folder "$work/Chosen" --arg config "$support/client.json" '
  .argv == ["login", "--profile", $server, "--folder", $folder, "--config", $config] and
  (.stdin | fromjson | .username == "  ada " and .password == " pass word " and
   (.device | test("^[A-Za-z0-9]{1,24}$")))' <<<"$login" >/dev/null ||
  x11_fail "the engine was not asked to log in as typed: $login"
! grep -rqF "pass word" "$HOME" "$X11_LOGS"/*.log || x11_fail "the password went into a file or a log"
x11_step "a file handed to the running instance signed in and started the watch"

# The session ending (SIGTERM) while an alert is up quits in order.
kill -TERM "$X11_APP_PID"
expect_orderly_end "SIGTERM during an alert"
x11_step "passed (screenshots in $X11_LOGS)"
