#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need, and only
# when one is missing, so a warm machine starts at once.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang-format
  nlohmann-json3-dev libicu-dev libglib2.0-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  xvfb xauth trayer xdotool x11-utils imagemagick tesseract-ocr procps
  libsqlite3-dev libsodium-dev libssl-dev libboost-dev
  clang libclang-rt-14-dev libfuzzer-14-dev
  dbus dbus-x11 haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils
  desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin dpkg-dev fakeroot jq strace
  openssl time
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
