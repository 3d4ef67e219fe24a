#!/usr/bin/env bash
# The collection scan against Python: `kelvara-cli scan DIR` and scan_peer.py (zipfile and
# ElementTree producing the same rows) on 2,000 generated packages, in alternation.
#   scripts/bench/scan.sh BUILD_DIR WORK_DIR        (BENCH_RUNS runs per side, default 5)
# Prints one row: wall-time medians with the CPU (user + sys) medians in brackets; the ratio is
# on wall time. Both sides' rows are compared (sorted) before the timing.
set -euo pipefail
here="$(dirname "$0")"
. "$here/lib.sh"
build="$1" work="$2"
cli="$build/kelvara-cli"
count=2000
work_text="Collection scan, 2,000 packages of 10-30 entries, Deflate: \`kelvara-cli scan\` (wall; CPU in brackets)"
peer="Python zipfile + ElementTree"
target="<= 0.20"
# Dates and caption order depend on the locale and the time zone: both sides get the same.
export LC_ALL=C.UTF-8 TZ=UTC

python=$(python3_path)
if [ -z "$python" ]; then
  echo "scan.sh: python3 is missing: no collection and no peer" >&2
  row "$work_text" "-" "$peer" "-" "-" "$target"
  exit 0
fi

collection="$work/collection"
if [ ! -d "$collection" ]; then
  echo "scan.sh: writing $count packages to $collection" >&2
  "$python" "$here/make-collection.py" "$collection" --count "$count"
fi

# Warms the page cache, and both sides must give the same rows.
"$cli" scan "$collection" >"$work/kelvara.txt"
"$python" "$here/scan_peer.py" "$collection" >"$work/peer.txt"
if ! cmp -s <(LC_ALL=C sort "$work/kelvara.txt") <(LC_ALL=C sort "$work/peer.txt"); then
  echo "scan.sh: the rows differ:" >&2
  diff <(LC_ALL=C sort "$work/kelvara.txt") <(LC_ALL=C sort "$work/peer.txt") | head -20 >&2 || true
  exit 1
fi
rows=$(wc -l <"$work/kelvara.txt")
if [ "$rows" -ne "$count" ]; then
  echo "scan.sh: $rows rows instead of $count" >&2
  exit 1
fi

: >"$work/ours" && : >"$work/theirs"
for ((i = 0; i < runs; ++i)); do
  timed "$work/kelvara.txt" "$cli" scan "$collection" >>"$work/ours"
  timed "$work/peer.txt" "$python" "$here/scan_peer.py" "$collection" >>"$work/theirs"
done
ours_wall=$(awk '{ print $1 }' "$work/ours" | median)
ours_cpu=$(awk '{ print $2 }' "$work/ours" | median)
theirs_wall=$(awk '{ print $1 }' "$work/theirs" | median)
theirs_cpu=$(awk '{ print $2 }' "$work/theirs" | median)
echo "scan.sh: kelvara-cli wall $ours_wall s, CPU $ours_cpu s; python wall $theirs_wall s, CPU $theirs_cpu s" >&2
row "$work_text" "$(printf '%.3f s (%.3f s)' "$ours_wall" "$ours_cpu")" "$peer" \
  "$(printf '%.3f s (%.3f s)' "$theirs_wall" "$theirs_cpu")" "$(ratio "$ours_wall" "$theirs_wall")" \
  "$target"
