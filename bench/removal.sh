#!/usr/bin/env bash
# Times permanent removal on generated trees, to show that it grows linearly with the tree,
# however deep, and whatever cannot go inside it.
#
#   bench/removal.sh [WORK_DIR]        (default /tmp/orvane-removal-bench)
#
# Environment: RUNS (timed runs per case, default 3), BUILD_DIR (Release build folder, default
# <repo>/build-bench), LIMIT (seconds after which a run is stopped, default 30), REF (a git ref
# whose engine to time instead of this checkout's, e.g. REF=main for the figures before a change;
# it is built with this checkout's bench/ in WORK_DIR/ref-build).
#
# Cases (each on a fresh tree; only the removal itself is timed, inside orvane-bench):
#   size   1k, 10k, 100k entries, 10 levels deep, with and without an undeletable leaf
#   depth  100, 1000, 2000 levels (two entries a level), with and without an undeletable leaf
#   steps  12 to 20 levels with an undeletable leaf: where a removal that retries grows fastest
#   fds    2000 levels under `ulimit -n 256`
# The undeletable leaf is a tmpfs mounted at the bottom of the tree when run as root (in a mount
# namespace of the benchmark's own), a read-only folder holding a file otherwise.
set -euo pipefail
export LC_ALL=C

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
work=${1:-/tmp/orvane-removal-bench}
runs=${RUNS:-3}
limit=${LIMIT:-30}

mkdir -p "$work"
work=$(cd "$work" && pwd)

if [[ -n "${REF:-}" ]]; then
  # Another version's engine, built with this checkout's benchmark.
  src=$work/ref-src
  build=$work/ref-build
  rm -rf "$src"
  mkdir -p "$src"
  git -C "$repo" archive "$REF" | tar -x -C "$src"
  rm -rf "$src/bench"
  cp -r "$repo/bench" "$src/bench"
  echo "== build of $REF (Release) in $build"
  [[ -f "$build/build.ninja" ]] || cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
else
  echo "== build (Release) in $build"
  [[ -f "$build/build.ninja" ]] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target orvane-bench >/dev/null
bench=$build/bench/orvane-bench

# Removal acts only inside the home folder: the trees live in one of their own.
home=$work/home
mkdir -p "$home"
export HOME=$home XDG_DATA_HOME=$home/.local/share
echo "== as $(id -un); undeletable leaf: $([[ $(id -u) == 0 ]] && echo 'a tmpfs mount' || echo 'a read-only folder')"

# One case: the median of `runs` timed removals, or the limit when a run did not finish.
measure() { # label entries depth leaf [ulimit]
  local label=$1 entries=$2 depth=$3 leaf=$4 fds=${5:-} i out times=() outcome=""
  for ((i = 0; i < runs; i++)); do
    rm -rf "$home/tree"
    local status=0
    out=$( (if [[ -n "$fds" ]]; then ulimit -n "$fds"; fi
            timeout "$limit" "$bench" remove "$home/tree" "$entries" "$depth" "$leaf") 2>&1) || status=$?
    if ((status == 0)); then
      times+=("$(awk '{ for (i = 1; i < NF; i++) if ($i == "seconds") print $(i + 1) }' <<<"$out")")
      outcome=$(awk '{ print $NF }' <<<"$out")
    else
      times+=("$limit")
      ((status == 124)) && outcome="stopped after ${limit} s" || outcome="failed: $out"
      rm -rf "$home/tree"
      break # a run that failed or hit the limit will not do better the next time
    fi
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  printf '   %-34s %8s entries %5s levels  leaf %-3s  %10.4f s  %s\n' "$label" "$entries" "$depth" "$leaf" "$median" "$outcome"
}

echo "== size (10 levels)"
for entries in 1000 10000 100000; do
  measure "size" "$entries" 10 none
  measure "size, undeletable leaf" "$entries" 10 leaf
done
echo "== depth (two entries a level)"
for depth in 100 1000 2000; do
  measure "depth" 0 "$depth" none
  measure "depth, undeletable leaf" 0 "$depth" leaf
done
echo "== steps: an undeletable leaf a few levels down"
for depth in 12 14 16 18 20; do
  measure "steps" 0 "$depth" leaf
done
echo "== descriptors: 2000 levels under ulimit -n 256"
measure "ulimit -n 256" 0 2000 none 256
measure "ulimit -n 256, undeletable leaf" 0 2000 leaf 256
rm -rf "$home/tree"
