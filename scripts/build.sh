#!/usr/bin/env bash
# Configures and builds into build/ at the repository root: everything (tests included), or with
# --app only the two programs (a first configure then leaves the tests and benchmarks out).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths below the checkout are hashed relative to it, so every clone shares the compiler cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
options=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
if [[ ${1:-} == --app ]]; then
  [[ -f "$root/build/CMakeCache.txt" ]] || options+=(-DORVANE_BUILD_TESTING=OFF)
  targets=(--target orvane orvane-cli orvane_data)
else
  options+=(-DORVANE_BUILD_TESTING=ON)
fi
cmake -S "$root" -B "$root/build" "${options[@]}" >/dev/null
cmake --build "$root/build" -j"$(nproc)" "${targets[@]}"
