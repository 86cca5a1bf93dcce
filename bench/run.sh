#!/usr/bin/env bash
# Times each engine job beside its peers from Debian on the same generated, warm tree.
#
#   bench/run.sh [WORK_DIR]        (default /tmp/orvane-bench)
#
# Environment: RUNS (timed runs per command, default 5), BUILD_DIR (Release build folder,
# default <repo>/build-bench), ENTRIES (default 200000), MEMORY_ENTRIES (default 1000000;
# 0 skips the memory measurement). Trees are generated once and reused while their
# parameters stay the same; remove WORK_DIR to start over.
#
# Jobs and peers:
#   large-file search      orvane-bench bigfiles  vs  find ROOT -name Library -prune -o -name '.*' -prune
#                                                     -o -type f -size +104857599c -print
#   top-level sizes        orvane-bench sizes     vs  du -sb of the same folders
#   duplicate search       orvane-bench dups      vs  jdupes -r -X size+=:1048576,
#                                                     rdfind -checksum sha256 -dryrun true -minsize 1048576,
#                                                     fdupes -r -G 1048576
# plus the bytes the duplicate search reads against the least it must read, and the peak
# memory of `orvane-cli analyze cleanup` with HOME set to the large tree.
set -euo pipefail
export LC_ALL=C

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
work=${1:-/tmp/orvane-bench}
runs=${RUNS:-5}
entries=${ENTRIES:-200000}
memory_entries=${MEMORY_ENTRIES:-1000000}
min_dup=1048576

for tool in cmake ninja find du jdupes rdfind fdupes awk; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (run scripts/setup.sh)" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "missing: /usr/bin/time (package time)" >&2; exit 1; }

echo "== build (Release) in $build"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target orvane-cli orvane-bench orvane-treegen >/dev/null
cli=$build/orvane-cli
bench=$build/bench/orvane-bench
gen=$build/bench/orvane-treegen

mkdir -p "$work"
work=$(cd "$work" && pwd)
echo "== disk space where the trees go"
df -h "$work" | sed 's/^/   /'
avail_kb=$(df -Pk "$work" | awk 'NR==2 {print $4}')

# Generates a tree once; its parameters are recorded beside it so a change regenerates it.
generate() {
  local dir=$1 need_kb=$2
  shift 2
  if [[ -f "$dir.params" && "$(cat "$dir.params")" == "$*" && -d "$dir" ]]; then
    echo "   reusing $dir: $(cat "$dir.info")"
    return
  fi
  if ((avail_kb < need_kb)); then
    echo "not enough free space in $work for $dir (need about $((need_kb / 1024)) MiB)" >&2
    exit 1
  fi
  rm -rf "$dir" "$dir.params" "$dir.info"
  echo "   generating $dir ($*)"
  "$gen" "$dir" "$@" >"$dir.info"
  echo "$*" >"$dir.params"
  echo "   $(cat "$dir.info")"
}

echo "== trees"
tree=$work/home-$entries
generate "$tree" $((1500 * 1024)) --entries "$entries" --seed 1
big=""
if ((memory_entries > 0)); then
  big=$work/home-$memory_entries
  generate "$big" $((1500 * 1024)) --entries "$memory_entries" --dup-groups 20 --same-size-sets 6 --seed 2
fi

dup_roots=()
for d in Downloads Documents Desktop Pictures; do dup_roots+=("$tree/$d"); done
top_folders=()
for d in Downloads Documents Desktop Movies Music Pictures Library Applications; do
  [[ -e "$tree/$d" ]] && top_folders+=("$tree/$d")
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "== warming the cache"
find "$tree" >/dev/null
du -sb "$tree" >/dev/null
find "${dup_roots[@]}" -type f -size +1048575c -exec cat {} + >/dev/null

# Runs each given function once untimed, then `runs` rounds of all of them in turn (so a
# passing load hits each alike); prints the median wall time in seconds of each, one per line.
median_times() {
  local -A times=()
  local f i t0 t1
  for f in "$@"; do "$f" >/dev/null 2>&1 || true; done
  for ((i = 0; i < runs; i++)); do
    for f in "$@"; do
      t0=$EPOCHREALTIME
      "$f" >/dev/null 2>&1 || true
      t1=$EPOCHREALTIME
      times[$f]+="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }') "
    done
  done
  for f in "$@"; do
    tr ' ' '\n' <<<"${times[$f]}" | grep . | sort -g |
      awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
  done
}

results=()
report() { # name, ours, theirs, target, peer
  local ratio met
  ratio=$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.3f", a / b }')
  met=$(awk -v r="$ratio" -v t="$4" 'BEGIN { print (r <= t) ? "met" : "NOT MET" }')
  printf '   %-34s orvane %9.4f s   %-8s %9.4f s   ratio %6.3f   target <= %s   %s\n' "$1" "$2" "$5" "$3" "$ratio" "$4" "$met"
  results+=("$(printf '%-44s %6.3f  (target <= %s)  %s' "$1 vs $5" "$ratio" "$4" "$met")")
}

ours_big() { "$bench" bigfiles "$tree"; }
ours_sizes() { HOME="$tree" "$bench" sizes; }
ours_dups() { "$bench" dups $min_dup "${dup_roots[@]}"; }
run_find() { find "$tree" -name Library -prune -o -name '.*' -prune -o -type f -size +104857599c -print; }
run_du() { du -sb "${top_folders[@]}"; }
run_jdupes() { jdupes -r -X size+=:$min_dup "${dup_roots[@]}"; }
run_rdfind() { (cd "$scratch" && rdfind -checksum sha256 -dryrun true -minsize $min_dup "${dup_roots[@]}"); }
run_fdupes() { fdupes -q -r -G $min_dup "${dup_roots[@]}"; }
count_sets() { awk 'BEGIN { RS = "" } END { print NR }'; }

echo "== checks (the same work is done by each program)"
ours_big=$("$bench" bigfiles "$tree")
peer_big=$(run_find | wc -l)
echo "   large files: orvane $ours_big; find $peer_big files"
ours_sizes=$(HOME="$tree" "$bench" sizes)
peer_sizes=$(run_du | awk '{ s += $1 } END { print s }')
echo "   top-level folders: orvane $ours_sizes; du -sb total $peer_sizes (du also counts folders' own size, hard links once)"
ours_dups=$("$bench" dups $min_dup "${dup_roots[@]}")
reference=$("$bench" minread $min_dup "${dup_roots[@]}")
echo "   duplicates: orvane $ours_dups"
echo "   reference:  $reference"
echo "   jdupes $(run_jdupes 2>/dev/null | count_sets) sets; fdupes $(run_fdupes 2>/dev/null | count_sets) sets; rdfind $(run_rdfind 2>/dev/null | sed -n 's/.*you have \([0-9]*\) files.*/\1/p') files in sets"

echo "== timings: median of $runs warm runs, taken in turns"
load=$(cut -d' ' -f1 /proc/loadavg)
if awk -v l="$load" 'BEGIN { exit !(l > 0.5) }'; then
  echo "   note: load average $load; other work on this machine slows the parallel walks most"
  # Every measured program runs at this raised priority alike, so the comparison stays fair.
  if renice -n -10 -p $$ >/dev/null 2>&1; then
    echo "   measured programs run at nice -10 to keep the other work from skewing them"
  fi
fi
read -r t_ours t_find < <(median_times ours_big run_find | paste -sd' ')
report "large-file search" "$t_ours" "$t_find" 0.6 find
read -r t_ours t_du < <(median_times ours_sizes run_du | paste -sd' ')
report "top-level folder sizes" "$t_ours" "$t_du" 0.6 du
read -r t_ours t_jdupes t_rdfind t_fdupes < <(median_times ours_dups run_jdupes run_rdfind run_fdupes | paste -sd' ')
report "duplicate search" "$t_ours" "$t_jdupes" 1.0 jdupes
report "duplicate search" "$t_ours" "$t_rdfind" 0.4 rdfind
printf '   %-34s orvane %9.4f s   %-8s %9.4f s   ratio %6.3f   (no target)\n' "duplicate search" "$t_ours" fdupes "$t_fdupes" \
  "$(awk -v a="$t_ours" -v b="$t_fdupes" 'BEGIN { printf "%.3f", a / b }')"

echo "== bytes read by the duplicate search"
read_bytes=$(awk '{ for (i = 1; i < NF; i++) if ($i == "rchar") print $(i + 1) }' <<<"$ours_dups")
least=$(awk '{ print $2 }' <<<"$reference")
ratio=$(awk -v a="$read_bytes" -v b="$least" 'BEGIN { printf "%.4f", a / b }')
met=$(awk -v r="$ratio" 'BEGIN { print (r <= 1.05) ? "met" : "NOT MET" }')
echo "   read $read_bytes bytes (rchar); least possible $least bytes; ratio $ratio (target <= 1.05) $met"
results+=("$(printf '%-44s %6.3f  (target <= 1.05)  %s' "bytes read / least needed" "$ratio" "$met")")

if [[ -n "$big" ]]; then
  echo "== peak memory: orvane-cli analyze cleanup, HOME=$big"
  find "$big" >/dev/null
  HOME="$big" "$cli" analyze cleanup --lang en >/dev/null 2>&1 || true
  peak_kb=$(HOME="$big" /usr/bin/time -v "$cli" analyze cleanup --lang en 2>&1 >/dev/null |
    awk -F': ' '/Maximum resident set size/ { print $2 }')
  peak_mb=$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')
  met=$(awk -v m="$peak_mb" 'BEGIN { print (m <= 64) ? "met" : "NOT MET" }')
  echo "   maximum resident set size: $peak_kb KiB = $peak_mb MiB (target <= 64 MB) $met"
  results+=("$(printf '%-44s %6s MiB (target <= 64)  %s' "peak memory, analyze cleanup, 1M entries" "$peak_mb" "$met")")
fi

echo "== summary"
printf '   %s\n' "${results[@]}"
