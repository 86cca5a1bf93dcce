#!/usr/bin/env bash
# Builds the Debian package orvane_<version>_amd64.deb from the build in build/ (made or updated
# first) and prints its path as the last line. Install it with: sudo apt-get install ./<path>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --app
out="$root/build/package"
mkdir -p "$out"
rm -f "$out"/orvane_*_amd64.deb
(cd "$root/build" && cpack --config CPackConfig.cmake -B "$out" >"$out/cpack.log") \
  || { cat "$out/cpack.log" >&2; exit 1; }
ls "$out"/orvane_*_amd64.deb
