#!/usr/bin/env bash
# Quorvane installed into a throwaway prefix: the desktop entry and file types as
# the desktop sees them, the Debian package's contents, and on a private display
# the installed launcher running and a file opened with xdg-open reaching it.
#
#   tests/e2e/install.sh <build dir>   (logs in <build dir>/e2e-install)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <build dir>" >&2; exit 2; }
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/x11_session.sh
source "$here/../../scripts/x11_session.sh"
x11_test_begin install_desktop "$build/e2e-install" install
work=$X11_WORK
prefix="$work/prefix"
bundle="$prefix/lib/quorvane/Quorvane.app"
launcher="$prefix/bin/quorvane-menubar"
entry="$prefix/share/applications/org.quorvane.Quorvane.desktop"

cmake --install "$build" --prefix "$prefix" >"$X11_LOGS/install.log" 2>&1 || x11_fail "cmake --install failed"
[ -x "$bundle/Contents/MacOS/quorvane" ] || x11_fail "the bundle has no engine"
[ "$(realpath "$launcher")" = "$(realpath "$bundle/Contents/MacOS/quorvane-menubar")" ] ||
  x11_fail "$launcher does not lead to the bundle's front end"
[ "$(realpath "$prefix/bin/quorvane-server")" = "$(realpath "$bundle/Contents/MacOS/quorvane-server")" ] ||
  x11_fail "bin/quorvane-server does not lead to the bundle's home server"
unit="$prefix/lib/systemd/system/quorvane-server.service"
grep -qx "ExecStart=$prefix/bin/quorvane-server serve --data /var/lib/quorvane-server" "$unit" ||
  x11_fail "the service unit does not serve with the installed quorvane-server"
if command -v systemd-analyze >/dev/null; then
  systemd-analyze verify "$unit" >"$X11_LOGS/unit.log" 2>&1 || x11_fail "the service unit is not valid"
fi
for icon in scalable/apps/org.quorvane.Quorvane.svg symbolic/apps/org.quorvane.Quorvane-symbolic.svg; do
  [ -s "$prefix/share/icons/hicolor/$icon" ] || x11_fail "no icon hicolor/$icon"
done
desktop-file-validate "$entry" >"$X11_LOGS/validate.log" 2>&1 || x11_fail "the desktop entry is not valid"
grep -qx 'Exec=quorvane-menubar %F' "$entry" || x11_fail "the desktop entry does not open files with %F"
x11_step "installed into $prefix with a valid desktop entry"

if [ -x /usr/bin/dpkg-deb ]; then
  (cd "$build" && cpack -G DEB -B "$work/package") >"$X11_LOGS/cpack.log" 2>&1 || x11_fail "cpack failed"
  deb=$(ls "$work"/package/quorvane_*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libqt6widgets6 libqt6dbus6 libqt6svg6; do
    grep -q "$needed" <<<"$depends" || x11_fail "the package does not depend on $needed: $depends"
  done
  for script in postinst postrm; do
    dpkg-deb -I "$deb" "$script" >"$X11_LOGS/$script" || x11_fail "the package has no $script"
    grep -q update-mime-database "$X11_LOGS/$script" || x11_fail "$script does not refresh the MIME database"
    ! grep -q "systemctl enable" "$X11_LOGS/$script" || x11_fail "$script enables the server's service"
  done
  (cd "$prefix" && find . ! -type d | sed 's|^\./|./usr/|' | sort) >"$X11_LOGS/installed.txt"
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$X11_LOGS/packaged.txt"
  diff -u "$X11_LOGS/installed.txt" "$X11_LOGS/packaged.txt" >"$X11_LOGS/package-diff.log" ||
    x11_fail "the package holds other files than the installation"
  x11_step "the package holds the installation and declares its dependencies"
fi

# The desktop's view of the installation, as after a package's triggers ran.
update-mime-database "$prefix/share/mime" >"$X11_LOGS/mime.log" 2>&1 || x11_fail "update-mime-database failed"
update-desktop-database "$prefix/share/applications" >"$X11_LOGS/desktop.log" 2>&1 ||
  x11_fail "update-desktop-database failed"
x11_throwaway_home "$work" Sync
echo '{}' >"$XDG_DATA_HOME/Quorvane/client.json"  # no folder yet: a file opened signs in
export XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_CURRENT_DESKTOP=GNOME PATH="$prefix/bin:$PATH"
server_file="$work/Quorvane Home.quorvane-server"
echo '{"server": "192.0.2.1"}' >"$server_file"
echo '{"invitation": "x"}' >"$work/office.quorvane-invitation"
for kind in server:"$server_file" invitation:"$work/office.quorvane-invitation"; do
  type="application/x-quorvane-${kind%%:*}"
  [ "$(xdg-mime query filetype "${kind#*:}")" = "$type" ] || x11_fail "${kind#*:} is not of type $type"
  [ "$(xdg-mime query default "$type")" = org.quorvane.Quorvane.desktop ] ||
    x11_fail "$type does not open with Quorvane"
done
x11_step "both file kinds are known and open with Quorvane"

x11_start || x11_fail "Xvfb did not start"
x11_start_tray
quorvane-menubar --enable-login >"$X11_LOGS/app.log" 2>&1 &
X11_APP_PID=$!
x11_wait_for 20 x11_tray_icon || x11_fail "the installed front end showed no tray icon"
x11_wait_for 10 grep -qx "Exec=$launcher" "$XDG_CONFIG_HOME/autostart/org.quorvane.Quorvane.desktop" ||
  x11_fail "the login item does not start the installed launcher"
x11_step "the installed launcher runs; its login item starts $launcher"

# xdg-open starts the desktop entry's command with the file, a second instance
# that hands it to the running one: that one shows the sign-in alert.
timeout 60 xdg-open "$server_file" >"$X11_LOGS/open.log" 2>&1 || x11_fail "xdg-open failed"
x11_wait_for 10 x11_app_window_taller_than 100 || x11_fail "opening the file showed no alert"
read -r alert_id _ < <(x11_app_window_taller_than 100)
[ "$(xdotool getwindowpid "$alert_id")" = "$X11_APP_PID" ] || x11_fail "the alert is not the running instance's"
grep -q "Sign in to Quorvane" < <(x11_read_window "$alert_id" sign-in) || x11_fail "the alert is not the sign-in alert"
x11_step "passed: xdg-open reached the running instance, which shows the sign-in alert"
