#!/usr/bin/env bash
# Compiles every source of build/compile_commands.json again with clang++ -fsyntax-only and the
# build's own flags (two at a time); any error or warning fails the check.
#
#   scripts/check-clang.sh [BUILD_DIR]      (default <repo>/build; CLANGXX picks the compiler)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
clang=${CLANGXX:-clang++-14}
command -v "$clang" >/dev/null || { echo "missing: $clang (package clang-14)" >&2; exit 1; }
[[ -f $build/compile_commands.json ]] || { echo "no $build/compile_commands.json: run scripts/build.sh" >&2; exit 1; }

log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT
# One line per source: the directory, then the command with the compiler, -o and -c removed.
python3 - "$build/compile_commands.json" "$clang" >"$log/commands" <<'PY'
import json, shlex, sys
entries, clang = json.load(open(sys.argv[1])), sys.argv[2]
for e in entries:
    args = e.get("arguments") or shlex.split(e["command"])
    while args and "ccache" in args[0].rsplit("/", 1)[-1]:  # the compiler launcher
        args = args[1:]
    out, skip = [clang, "-fsyntax-only"], False
    for a in args[1:]:
        if skip:
            skip = False
            continue
        if a in ("-o", "-c"):
            skip = a == "-o"
            continue
        out.append(a)
    print(e["directory"] + "\t" + shlex.join(out))
PY
status=0
# Each job writes its diagnostics beside the list; the check fails when any file has some.
n=0
while IFS=$'\t' read -r dir cmd; do
  n=$((n + 1))
  printf '%s\t%s\n' "$dir" "$cmd" >"$log/job$n"
done <"$log/commands"
ls "$log"/job* | xargs -P 2 -I{} bash -c 'IFS=$'"'"'\t'"'"' read -r dir cmd <"$1"; cd "$dir" && eval "$cmd" >"$1.out" 2>&1 || true' _ {}
for out in "$log"/job*.out; do
  if [[ -s $out ]]; then
    cat "$out"
    status=1
  fi
done
echo "clang: $n files, $([[ $status == 0 ]] && echo clean || echo 'diagnostics above')"
exit $status
