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
# Cases (each on a fresh tree, written to disk first; only the removal itself is timed, inside
# orvane-bench, and only it is stopped at the limit). Each gives the median wall time and the
# median processor time (user + system) of the removal: on a busy disk the wall time is mostly
# waiting for it; the processor time is the removal's own work. For figures without the disk,
# mount a tmpfs on WORK_DIR/home first.
#   size   1k, 10k, 100k entries, 10 levels deep, with and without an undeletable leaf
#   depth  100, 1000, 2000 levels (two entries a level), with and without an undeletable leaf
#   steps  12 to 20 levels with an undeletable leaf: where a removal that retries grows fastest
#   fds    2000 levels under `ulimit -n 256`
#   versus 100k entries, 10 levels: orvane, `rm -rf` and `find DIR -delete` on the same tree, one
#          after the other in each run (CASES=versus runs only this; OTHER_BENCH=path/to/orvane-bench
#          times another version's orvane in the same turns, e.g. the one REF built; ENTRIES
#          changes the tree's size)
# The undeletable leaf is a tmpfs mounted at the bottom of the tree when run as root (in a mount
# namespace of the benchmark's own), a read-only folder holding a file otherwise.
set -euo pipefail
export LC_ALL=C

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
work=${1:-/tmp/orvane-removal-bench}
runs=${RUNS:-3}
cases=${CASES:-all}
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

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# One case: the median of `runs` timed removals, or the limit when a run did not finish.
measure() { # label entries depth leaf [ulimit]
  local label=$1 entries=$2 depth=$3 leaf=$4 fds=${5:-} i out times=() cpus=() outcome=""
  for ((i = 0; i < runs; i++)); do
    rm -rf "$home/tree"
    local status=0
    "$bench" tree "$home/tree" "$entries" "$depth"
    sync # the new tree on disk first: the removal alone is timed, not the writeback of the tree
    out=$( (if [[ -n "$fds" ]]; then ulimit -n "$fds"; fi
            timeout "$limit" "$bench" remove "$home/tree" "$leaf") 2>&1) || status=$?
    if ((status == 0)); then
      times+=("$(awk '{ print $2 }' <<<"$out")")
      cpus+=("$(awk '{ print $4 }' <<<"$out")")
      outcome=$(awk '{ print $6 }' <<<"$out")
    else
      times+=("$limit")
      cpus+=("$limit")
      ((status == 124)) && outcome="stopped after ${limit} s" || outcome="failed: $out"
      rm -rf "$home/tree"
      break # a run that failed or hit the limit will not do better the next time
    fi
  done
  printf '   %-32s %7s entries %5s levels  leaf %-4s  wall %9.4f s  cpu %9.4f s  %s\n' "$label" "$entries" \
    "$depth" "$leaf" "$(median "${times[@]}")" "$(median "${cpus[@]}")" "$outcome"
}

# The same tree removed by orvane, `rm -rf` and `find -delete`, in turns, so that all three see
# the same disk and the same load.
versus() { # entries
  local entries=$1 i tool out status tools=(orvane)
  [[ -n "${OTHER_BENCH:-}" ]] && tools+=(other)
  tools+=(rm find)
  declare -A walls cpus
  for ((i = 0; i < runs; i++)); do
    for tool in "${tools[@]}"; do
      rm -rf "$home/tree"
      "$bench" tree "$home/tree" "$entries" 10
      sync
      status=0
      case $tool in
        orvane) out=$(timeout "$limit" "$bench" remove "$home/tree" none 2>&1) || status=$?
                out=$(awk '{ print $2, $4 }' <<<"$out") ;;
        other)  out=$(timeout "$limit" "$OTHER_BENCH" remove "$home/tree" none 2>&1) || status=$?
                out=$(awk '{ print $2, $4 }' <<<"$out") ;;
        rm)     out=$( { TIMEFORMAT='%R %U %S'; time timeout "$limit" rm -rf "$home/tree"; } 2>&1) || status=$? ;;
        find)   out=$( { TIMEFORMAT='%R %U %S'; time timeout "$limit" find "$home/tree" -delete; } 2>&1) || status=$? ;;
      esac
      if ((status != 0)) || [[ -e "$home/tree" ]]; then
        out="$limit $limit"
      fi
      walls[$tool]+="$(awk '{ print $1 }' <<<"$out") "
      cpus[$tool]+="$(awk '{ print ($3 == "" ? $2 : $2 + $3) }' <<<"$out") "
    done
  done
  for tool in "${tools[@]}"; do
    # shellcheck disable=SC2086
    printf '   %-10s %7s entries  wall %9.4f s  cpu %9.4f s\n' "$tool" "$entries" \
      "$(median ${walls[$tool]})" "$(median ${cpus[$tool]})"
  done
}

if [[ $cases == versus ]]; then
  echo "== versus rm -rf and find -delete (10 levels)"
  versus "${ENTRIES:-100000}"
  rm -rf "$home/tree"
  exit 0
fi

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
echo "== versus rm -rf and find -delete (10 levels)"
versus 100000
rm -rf "$home/tree"
