#!/usr/bin/env bash
# Configures and builds everything into build/ at the repository root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths below the checkout are hashed relative to it, so every clone shares the compiler cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)"
