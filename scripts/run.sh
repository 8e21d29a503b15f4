#!/usr/bin/env bash
# `make run`: the whole product, as a person meets it, against a demo server.
#
#   scripts/run.sh <build dir>
#
# Once, it makes a demo home server: the data folder <build dir>/demo/server with
# an administrator and a welcome file. Every run, it serves that folder with
# quorvane-server on a free loopback port for as long as the application runs,
# copies the bundle to <build dir>/demo with the server's connection file as the
# bundle's own, and starts Quorvane in a fresh demo home under
# <build dir>/demo/home, so that the setup chooser appears. Nothing of your own
# home is read or changed.
#
# In a desktop session the application runs there: choose "Sign In", sign in
# with the account printed below, choose a folder, and it syncs. Quit it from its
# menu or with Ctrl-C; the demo server stops with it.
#
# Without a display (a server, a container) there is nobody to click, so the
# sign-in is played on a private Xvfb display with a tray: a screenshot of each
# step goes to <build dir>/screenshots/, and every process it started is ended.
set -euo pipefail

build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)
demo="$build/demo"
bundle="$demo/Quorvane.app"
engine="$bundle/Contents/MacOS/quorvane"
server="$bundle/Contents/MacOS/quorvane-server"
server_file="$demo/Quorvane Home.quorvane-server"
username=demo

if [ ! -x "$build/Quorvane.app/Contents/MacOS/quorvane-menubar" ]; then
  echo "No application in $build; build it first (make run does)." >&2
  exit 1
fi
rm -rf "$bundle"
mkdir -p "$demo"
cp -a "$build/Quorvane.app" "$bundle"

# serve: quorvane-server on a port the system picks; the connection file is
# pointed at it (the certificate names only the loopback address, not the port).
server_pid=
stop_server() {
  [ -z "$server_pid" ] && return
  kill -TERM "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  server_pid=
}
serve() {
  : >"$demo/server.log"
  "$server" serve --data "$demo/server" --listen 127.0.0.1:0 2>>"$demo/server.log" &
  server_pid=$!
  local address=
  for _ in $(seq 100); do
    address=$(sed -n 's/^Quorvane Home is listening on \(.*\)\.$/\1/p' "$demo/server.log")
    [ -n "$address" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$address" ] || { cat "$demo/server.log" >&2; echo "The demo server did not start." >&2; exit 1; }
  jq --arg address "$address" '.address = $address' "$server_file" >"$server_file.new"
  mv "$server_file.new" "$server_file"
}
trap stop_server EXIT

# The demo server, made once and kept, so that what was synced stays.
if [ ! -f "$demo/password" ] || [ ! -f "$demo/server/key.pem" ]; then
  rm -rf "$demo/server" "$demo/seed" "$demo/seed.json" "$demo/password"
  (umask 077 && head -c 12 /dev/urandom | base64 | tr -d '/+=' >"$demo/password")
  password=$(cat "$demo/password")
  printf '{"username": "%s", "display_name": "Demo Administrator", "password": "%s"}' \
    "$username" "$password" |
    "$server" init --data "$demo/server" --address 127.0.0.1:0 --output "$server_file"
  serve
  # A file already on the server, to be seen arriving in the folder one chooses.
  mkdir -p "$demo/seed"
  printf 'Welcome to Quorvane.\n\nThis file came from the demo home server.\n' \
    >"$demo/seed/Welcome.txt"
  printf '{"username": "%s", "password": "%s", "device": "DemoServer"}' "$username" "$password" |
    "$engine" login --profile "$server_file" --folder "$demo/seed" --config "$demo/seed.json"
  "$engine" watch --config "$demo/seed.json" --once >/dev/null
else
  serve
fi
password=$(cat "$demo/password")
cp "$server_file" "$bundle/Contents/Resources/"
app="$bundle/Contents/MacOS/quorvane-menubar"

cat <<EOF
Demo home server: $demo/server, served at $(jq -r .address "$server_file") (log: $demo/server.log)
Server connection file: $server_file
Username: $username
Password: $password
(To run a server of your own, see "A server of one's own" in the README.)
EOF

# A fresh demo home: the setup chooser appears, and sign-in starts from scratch.
rm -rf "$demo/home" "$demo/run"
mkdir -p "$demo/home/.local/share" "$demo/home/.config" "$demo/home/Documents"
mkdir -m 700 "$demo/run"
use_demo_home() {
  export HOME="$demo/home" XDG_DATA_HOME="$demo/home/.local/share"
  export XDG_CONFIG_HOME="$demo/home/.config" XDG_RUNTIME_DIR="$demo/run"
}

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # The display's credentials and sockets stay where the session has them.
  export XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}"
  if [ -n "${WAYLAND_DISPLAY:-}" ] && [ "${WAYLAND_DISPLAY#/}" = "$WAYLAND_DISPLAY" ]; then
    export WAYLAND_DISPLAY="${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/$WAYLAND_DISPLAY"
  fi
  use_demo_home
  echo "Starting Quorvane; it lives in the tray. Quit it from its menu or with Ctrl-C."
  "$app" || true
  exit 0
fi

# shellcheck source=x11_session.sh
source "$here/x11_session.sh"
shots="$build/screenshots"
mkdir -p "$shots"
X11_LOGS="$demo/logs"
rm -rf "$X11_LOGS"
mkdir -p "$X11_LOGS"
trap 'x11_end_session ""; stop_server' EXIT  # the demo home stays for a look
trap 'exit 130' INT TERM HUP

fail() {
  echo "make run: $*; the front end's output follows." >&2
  cat "$X11_LOGS/app.log" >&2
  exit 1
}
stamp=$(date +%Y%m%d-%H%M%S)
shot() {
  sleep 0.5  # the window's first paint
  import -window root "$shots/$stamp-$1.png"
  echo "  screenshot: $shots/$stamp-$1.png"
}
dialog_up() { x11_app_window_taller_than 100 >/dev/null; }
# The window id of the dialog up now, and a wait for the next one to replace it.
dialog_id() { x11_app_window_taller_than 100 | awk '{print $1}'; }
next_dialog() { [ -n "$(dialog_id)" ] && [ "$(dialog_id)" != "$1" ]; }

echo "No display: playing the sign-in on a private X display."
x11_start
x11_start_tray
use_demo_home
export QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=disabled:
"$app" >"$X11_LOGS/app.log" 2>&1 &
X11_APP_PID=$!

x11_wait_for 20 dialog_up || fail "the setup chooser did not appear"
echo "1. The setup chooser: Sign In."
shot 1-chooser
chooser=$(dialog_id)
xdotool key Return
x11_wait_for 10 next_dialog "$chooser" || fail "no sign-in alert"
echo "2. The sign-in alert: the demo account."
xdotool type --delay 40 "$username"
xdotool key Tab
xdotool type --delay 40 "$password"
shot 2-sign-in
xdotool key Return
x11_wait_for 10 x11_app_window_taller_than 300 || fail "no folder panel"
echo "3. The folder panel: ~/Documents."
sleep 0.5
xdotool type --delay 40 "$HOME/Documents"
shot 3-folder
xdotool key Return
x11_wait_for 10 eval '! x11_app_window_taller_than 300' || fail "the folder panel stayed open"
x11_wait_for 30 dialog_up || fail "no alert after signing in"
echo "4. Signed in."
shot 4-signed-in
xdotool key Return

echo "5. The first pass: Welcome.txt arrives and the icon turns to the check mark."
synced() { grep -q '"state": *"synced"' "$HOME/Documents/.quorvane/status.json" 2>/dev/null; }
x11_wait_for 30 synced || fail "the folder did not sync"
[ -f "$HOME/Documents/Welcome.txt" ] || fail "Welcome.txt did not arrive"
sleep 2.5  # the next refresh tick shows it
x11_click_tray_icon
x11_wait_for 10 dialog_up || fail "the menu did not open"
shot 5-synced-menu
xdotool key Escape
echo "Done: $HOME/Documents holds Welcome.txt from the demo server."
