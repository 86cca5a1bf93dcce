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

jobs=$(mktemp -d)
trap 'rm -rf "$jobs"' EXIT
# One small script per source: the build's command with Clang instead of the compiler (and its
# launcher), checking syntax only, its diagnostics into <job>.out.
python3 - "$build/compile_commands.json" "$clang" "$jobs" <<'PY'
import json, os, shlex, sys
entries, clang, jobs = json.load(open(sys.argv[1])), sys.argv[2], sys.argv[3]
for n, e in enumerate(entries):
    # A generated file of a target the build leaves out (the benchmarks' moc) is not there to check.
    if not os.path.exists(os.path.join(e["directory"], e["file"])):
        continue
    args = e.get("arguments") or shlex.split(e["command"])
    while "ccache" in os.path.basename(args[0]):
        args = args[1:]
    out, skip = [clang, "-fsyntax-only"], False
    for a in args[1:]:
        if skip:
            skip = False
        elif a == "-o":
            skip = True
        elif a != "-c":
            out.append(a)
    job = os.path.join(jobs, "job%d" % n)
    with open(job, "w") as f:
        f.write("cd %s && %s >%s 2>&1\n" % (shlex.quote(e["directory"]), shlex.join(out), shlex.quote(job + ".out")))
PY
find "$jobs" -name 'job*' ! -name '*.out' -print0 | xargs -0 -P 2 -n 1 sh || true
status=0
for out in "$jobs"/*.out; do
  if [[ -s $out ]]; then
    cat "$out"
    status=1
  fi
done
echo "clang: $(find "$jobs" -name '*.out' | wc -l) files, $([[ $status == 0 ]] && echo clean || echo 'diagnostics above')"
exit $status
