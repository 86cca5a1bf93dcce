#!/usr/bin/env bash
# Installs the Debian packages Orvane needs: to build and run it (no argument), or also to test it
# and build its package (--test). Does nothing (and needs no network) when they are all there.
set -euo pipefail

# Building and running: the compiler, Qt with the QML modules the window imports, the libraries
# the engine links, and the fonts the window draws with.
packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-templates qml6-module-qtqml
  qml6-module-qtqml-workerscript qml6-module-qtquick-shapes
  qt6-qpa-plugins libqt6svg6
  libgl-dev libegl-dev libvulkan-dev libxkbcommon-dev
  libssl-dev libglib2.0-dev libplist-dev
  fonts-material-design-icons-iconfont fonts-inter fonts-noto-color-emoji
)
# Testing: the QML test module, the QtQml.Models type descriptions qmllint checks C++ models against,
# a session bus and X server for the desktop tests, the freedesktop validators, the Debian package checks, and what the benchmarks compare against.
if [[ ${1:-} == --test ]]; then
  packages+=(
    qml6-module-qttest qml6-module-qtqml-models dbus-daemon xvfb xauth
    desktop-file-utils appstream lintian man-db
    jdupes rdfind fdupes time
  )
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  # Without sudo rights there is nothing this script can do but say what is needed.
  may_sudo() {
    command -v sudo >/dev/null || return 1
    sudo -n true 2>/dev/null && return 0
    echo "Orvane needs: ${missing[*]}; sudo asks for your password to install them."
    sudo -v
  }
  if ! may_sudo; then
    echo "orvane setup: installing packages needs an administrator (root or sudo), and you are neither." >&2
    echo "Ask an administrator to run: apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
