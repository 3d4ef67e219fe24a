#!/usr/bin/env bash
# The collection scan against Python: `kelvara-cli scan DIR` and scan_peer.py (zipfile and
# ElementTree producing the same rows) on 2,000 generated packages, in alternation.
#   scripts/bench/scan.sh BUILD_DIR WORK_DIR        (BENCH_RUNS runs per side, default 5)
# Prints one table row: wall-time medians with the CPU (user+sys) medians beside them; the ratio
# is on wall time. Both outputs are compared (sorted) before timing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: scan.sh BUILD_DIR WORK_DIR}
work=${2:?usage: scan.sh BUILD_DIR WORK_DIR}
runs=${BENCH_RUNS:-5}
count=2000
cli=$build/kelvara-cli
work_text="Collection scan, 2,000 packages with 10-30 entries, Deflate (kelvara-cli scan; wall, CPU in brackets)"
target="<= 0.20"
# Dates and caption order depend on the locale and the time zone: both sides get the same.
export LC_ALL=C.UTF-8 TZ=UTC

# Debian's interpreter, not a wrapper in front of another one, so the peer pays no extra start.
python=
for candidate in /usr/bin/python3 "$(command -v python3 || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then python=$candidate; break; fi
done
if [ -z "$python" ]; then
  echo "scan.sh: python3 is missing: no collection, no peer" >&2
  printf '%s\t-\tPython zipfile + ElementTree\t-\t-\t%s\n' "$work_text" "$target"
  exit 0
fi

collection=$work/collection
if [ ! -d "$collection" ]; then
  echo "scan.sh: writing $count packages to $collection" >&2
  "$python" "$here/make-collection.py" "$collection" --count $count
fi

# One run of a command: "wall user sys" in seconds on stdout, its output in $2.
time_run() {
  local out=$1
  shift
  local TIMEFORMAT='%3R %3U %3S'
  { time "$@" >"$out" 2>"$work/stderr.txt"; } 2>&1
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Warm the page cache and check that both sides give the same rows.
"$cli" scan "$collection" >"$work/kelvara.txt"
"$python" "$here/scan_peer.py" "$collection" >"$work/peer.txt"
if ! cmp -s <(LC_ALL=C sort "$work/kelvara.txt") <(LC_ALL=C sort "$work/peer.txt"); then
  echo "scan.sh: the rows differ:" >&2
  diff <(LC_ALL=C sort "$work/kelvara.txt") <(LC_ALL=C sort "$work/peer.txt") | head -20 >&2 || true
  exit 1
fi
rows=$(wc -l <"$work/kelvara.txt")
if [ "$rows" -ne $count ]; then
  echo "scan.sh: $rows rows instead of $count" >&2
  exit 1
fi

: >"$work/k.times"
: >"$work/p.times"
for ((i = 0; i < runs; ++i)); do
  time_run "$work/kelvara.txt" "$cli" scan "$collection" >>"$work/k.times"
  time_run "$work/peer.txt" "$python" "$here/scan_peer.py" "$collection" >>"$work/p.times"
done

k_wall=$(awk '{ print $1 }' "$work/k.times" | median)
k_cpu=$(awk '{ print $2 + $3 }' "$work/k.times" | median)
p_wall=$(awk '{ print $1 }' "$work/p.times" | median)
p_cpu=$(awk '{ print $2 + $3 }' "$work/p.times" | median)
echo "scan.sh: kelvara wall $k_wall s cpu $k_cpu s; python wall $p_wall s cpu $p_cpu s" >&2
ratio=$(awk -v k="$k_wall" -v p="$p_wall" 'BEGIN { printf "%.2f", (p > 0) ? k / p : 0 }')
printf '%s\t%.3f s (CPU %.3f s)\tPython zipfile + ElementTree\t%.3f s (CPU %.3f s)\t%s\t%s\n' \
  "$work_text" "$k_wall" "$k_cpu" "$p_wall" "$p_cpu" "$ratio" "$target"
