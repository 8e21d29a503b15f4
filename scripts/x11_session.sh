# Helpers for running the front end on a private X display with a tray: sourced by
# scripts/run.sh, the scripts in tests/e2e and bench/desktop_figures.sh. Every
# process started here is recorded in X11_PIDS; x11_stop ends them, newest first.

X11_PIDS=()
X11_LOGS=${X11_LOGS:-/tmp}
X11_APP_PID=""  # the front end, when the caller started one

# A throwaway home under `work` whose client.json names the sync folder
# `work/<name>`, so the front end starts syncing there and nothing of the person's
# own home is read or changed. Exports HOME and the XDG folders. No session bus:
# an address of no known kind keeps libdbus from autolaunching a daemon that
# would outlive the display.
x11_throwaway_home() {
  local work=$1 folder="$1/$2"
  export HOME="$work/home"
  export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
  export DBUS_SESSION_BUS_ADDRESS=disabled:
  unset WAYLAND_DISPLAY SESSION_MANAGER QT_SCALE_FACTOR
  mkdir -p "$XDG_DATA_HOME/Quorvane" "$XDG_CONFIG_HOME" "$folder/.quorvane"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  printf '{"folder": "%s"}\n' "$folder" >"$XDG_DATA_HOME/Quorvane/client.json"
}

# The engine's status file in sync folder `folder`: synced, with `message`, written
# at `updated_at` (seconds since 1970; default now).
x11_synced_status() {
  printf '{"state": "synced", "message": "%s", "updated_at": %s}\n' "$2" "${3:-$(date +%s)}" \
    >"$1/.quorvane/status.json"
}

# Starts "$@" in the background with its output in X11_LOGS/`$1`.log (the name
# is the first word) and sets X11_ANNOUNCED to the line it writes to descriptor 3:
# the display or address it chose itself, so two sessions never race for one.
x11_start_announcing() {
  local fifo
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/x11-$1.XXXXXX")
  mkfifo "$fifo"
  "$@" 3>"$fifo" >"$X11_LOGS/$1.log" 2>&1 &
  X11_PIDS+=($!)
  if ! read -r -t 15 X11_ANNOUNCED <"$fifo"; then
    rm -f "$fifo"
    echo "$1 did not start (see $X11_LOGS/$1.log)" >&2
    return 1
  fi
  rm -f "$fifo"
}

# Starts Xvfb on a free display and exports DISPLAY.
x11_start() {
  x11_start_announcing Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset || return 1
  export DISPLAY=":$X11_ANNOUNCED"
}

# A fresh private folder /tmp/quorvane-<name>-<digits>, printed. Digits only after
# the name: alerts may show paths inside it, and OCR reads digits more reliably
# than letters.
x11_work_dir() {
  local candidate
  for _ in 1 2 3 4 5; do
    candidate="/tmp/quorvane-$1-$$$RANDOM"
    mkdir -m 700 "$candidate" 2>/dev/null && echo "$candidate" && return 0
  done
  return 1
}

# A copy of bundle `$1` in folder `$3` whose engine is the fake engine `$2`, which
# keeps its behaviour and journal beside its link, in the copy's Contents/MacOS.
# Prints the copy's front end.
x11_bundle_with_fake_engine() {
  cp -a "$1" "$3/Quorvane.app"
  ln -sfn "$2" "$3/Quorvane.app/Contents/MacOS/quorvane"
  echo "$3/Quorvane.app/Contents/MacOS/quorvane-menubar"
}

# A session bus of this session's own; exports DBUS_SESSION_BUS_ADDRESS.
x11_start_session_bus() {
  x11_start_announcing dbus-daemon --session --nofork --print-address=3 || return 1
  export DBUS_SESSION_BUS_ADDRESS=$X11_ANNOUNCED
}

# A StatusNotifierItem host, as KDE, GNOME with AppIndicator or Xfce panels are:
# the watcher, and a standalone tray along the top edge, icons from the left, that
# registers as host.
x11_start_sni_tray() {
  status-notifier-watcher >"$X11_LOGS/watcher.log" 2>&1 &
  X11_PIDS+=($!)
  x11_wait_for 10 x11_sni_watcher_says IsStatusNotifierHostRegistered false || return 1
  NO_AT_BRIDGE=1 gtk-sni-tray-standalone --top --beginning --size 28 >"$X11_LOGS/sni-tray.log" 2>&1 &
  X11_PIDS+=($!)
  x11_wait_for 10 x11_sni_watcher_says IsStatusNotifierHostRegistered true
}

# The StatusNotifierWatcher's property `$1`, as gdbus prints it.
x11_sni_watcher() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}

# Succeeds when the StatusNotifierWatcher's property `$1` prints as containing `$2`.
x11_sni_watcher_says() { x11_sni_watcher "$1" | grep -qF -- "$2"; }

# A tray along the top edge, dark, as many desktop panels are.
x11_start_tray() {
  trayer --edge top --align right --widthtype request --height 28 --SetDockType true \
    --transparent true --alpha 0 --tint 0x2b2b2b >"$X11_LOGS/trayer.log" 2>&1 &
  X11_PIDS+=($!)
}

# Runs "$@" every 0.2 s until it succeeds or `seconds` have passed.
x11_wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 5))
  while ((tries-- > 0)); do
    "$@" >/dev/null && return 0
    sleep 0.2
  done
  return 1
}

# "id x y width height" of each visible window of the front end (or of the program
# whose window class name is `$1`), one a line.
x11_app_windows() {
  local id
  for id in $(xdotool search --onlyvisible --classname "${1:-quorvane-menubar}" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | awk -v id="$id" '
      /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
      /Width:/ {w=$NF} /Height:/ {h=$NF}
      END {print id, x, y, w, h}'
  done
}

# The front end's icon (or that of class name `$1`) docked in the tray:
# "id x y width height".
x11_tray_icon() {
  local tray
  tray=$(xdotool search --onlyvisible --class trayer 2>/dev/null | head -1)
  [ -n "$tray" ] || return 1
  local ty
  ty=$(xwininfo -id "$tray" | awk '/Absolute upper-left Y/ {print $NF}')
  # Docked icons are small windows inside the tray's strip at the top.
  x11_app_windows "${1:-}" | awk -v ty="$ty" '$5 <= 64 && $4 <= 64 && $4 > 4 && $3 >= ty && $3 < ty + 64' |
    head -1 | grep .
}

# A window of the front end (or of class name `$2`) taller than `$1`: an open menu
# or a dialog.
x11_app_window_taller_than() {
  x11_app_windows "${2:-}" | awk -v min="$1" '$5 > min' | head -1 | grep .
}

x11_click_tray_icon() {
  local id x y w h
  read -r id x y w h < <(x11_tray_icon) || return 1
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}

# Asks each process started here to end (SIGTERM), newest first; kills it after 5 s.
x11_stop() {
  local i pid
  for ((i = ${#X11_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${X11_PIDS[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    x11_wait_for 5 eval "! kill -0 $pid 2>/dev/null" || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  X11_PIDS=()
}

# Text a person reads in window `$1`, enlarged for OCR; the images and the text stay
# in X11_LOGS as `$2`.png and `$2`.txt.
x11_read_window() {
  import -window "$1" "$X11_LOGS/$2.png"
  convert "$X11_LOGS/$2.png" -colorspace Gray -resize 300% "$X11_LOGS/$2-ocr.png"
  tesseract "$X11_LOGS/$2-ocr.png" - 2>/dev/null | tee "$X11_LOGS/$2.txt"
}

# Letters OCR confuses, folded together, and only letters and digits (it reads
# a slash as a semicolon now and then): for comparing what was read with what
# was meant.
x11_ocr_fold() { tr 'OoIl|S' '001115' | tr -cd '[:alnum:]'; }

# A test's start: X11_TEST names it, X11_LOGS is a fresh folder `$2` for its logs,
# X11_WORK a private folder named after `$3`; on the way out the front end in
# X11_APP_PID and the session end and the work folder goes.
x11_test_begin() {
  X11_TEST=$1
  X11_LOGS=$2
  rm -rf "$X11_LOGS"
  mkdir -p "$X11_LOGS"
  X11_WORK=$(x11_work_dir "$3") || x11_fail "no temporary folder"
  trap 'x11_end_session "$X11_WORK"' EXIT
  trap 'exit 143' TERM INT HUP
  # A command that fails outside a check still says where.
  trap 'x11_fail "stopped at line $LINENO: $BASH_COMMAND"' ERR
}

# For tests: a failure shows the end of every log.
x11_step() { echo "$X11_TEST: $*"; }
x11_fail() {
  local log
  echo "$X11_TEST: FAIL: $*" >&2
  for log in "$X11_LOGS"/*.log; do
    [ -s "$log" ] || continue
    echo "--- $log:" >&2
    tail -n 40 "$log" >&2
  done
  exit 1
}

# For a script's EXIT trap: ends the front end in X11_APP_PID (and so its watch
# process), then the display and the tray, then removes the folder `$1`.
x11_end_session() {
  [ -z "$X11_APP_PID" ] || X11_PIDS+=("$X11_APP_PID")
  x11_stop
  rm -rf "$1"
}
