#!/usr/bin/env bash
# Installs what building, running and testing need, builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --test
"$root/scripts/build.sh"
cd "$root/build"
# One test at a time: the UI tour and the engine tests share the two cores of a small machine.
ctest --output-on-failure
