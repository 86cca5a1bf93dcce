#!/usr/bin/env bash
# Installs what Orvane needs to run, builds the two programs and starts the window.
# Arguments are passed to the application (e.g. --demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --app
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display found: showing what each plan would free in $HOME (nothing is removed)."
  for section in smart cleanup apps protect dup; do
    "$root/build/orvane-cli" analyze "$section" || true
  done
  exit 0
fi
exec "$root/build/orvane" "$@"
