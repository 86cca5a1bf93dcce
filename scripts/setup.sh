#!/usr/bin/env bash
# Installs every Debian package Orvane needs to build, run, test and benchmark.
# Does nothing (and needs no network) when they are all installed already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-templates qml6-module-qtqml
  qml6-module-qtqml-workerscript qml6-module-qttest qml6-module-qtquick-shapes
  qml6-module-qtquick-dialogs qt6-image-formats-plugins qt6-qpa-plugins libqt6svg6
  libgl-dev libegl-dev libvulkan-dev libxkbcommon-dev
  libssl-dev libglib2.0-dev libplist-dev
  libgtest-dev libbenchmark-dev
  fonts-noto-color-emoji fonts-material-design-icons-iconfont fonts-inter
  xvfb xauth desktop-file-utils appstream
  jdupes rdfind fdupes time
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Run as root or install sudo." >&2; exit 1; }
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
