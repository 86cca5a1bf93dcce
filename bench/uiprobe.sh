#!/usr/bin/env bash
# Runs the UI probe on every result size and prints its table.
#
#   bench/uiprobe.sh [BUILD_DIR]      (default <repo>/build)
#
# Each case runs in a process of its own (peak memory is per process), offscreen with software
# rendering unless QT_QPA_PLATFORM says otherwise. Targets: first results frame within 500 ms of
# the scan's end, no gap between frames over 100 ms, peak RSS under 400 MB for items 20000 and
# groups 3000.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build}
cmake --build "$build" --target orvane-uiprobe >/dev/null || exit 1
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for c in "items 1000" "items 20000" "items 100000" "groups 3000" "groups 30000"; do
  # shellcheck disable=SC2086
  "$build/bench/orvane-uiprobe" $c 2>/dev/null
done
