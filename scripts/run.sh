#!/usr/bin/env bash
# Sets up, builds and starts Orvane. Arguments are passed to the application (e.g. --demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display found: showing what each plan would free in $HOME (nothing is removed)."
  if [[ -x "$root/build/orvane-cli" ]]; then
    for section in smart cleanup apps protect dup; do
      "$root/build/orvane-cli" analyze "$section" || true
    done
  fi
  exit 0
fi
exec "$root/build/orvane" "$@"
