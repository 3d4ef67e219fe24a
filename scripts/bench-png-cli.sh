#!/usr/bin/env bash
# Times `kelvara-cli png FILE OUT.ppm` against `pngtopnm -mix -background=white FILE` on the
# large RGBA test images of bench_png (plain and interlaced), in alternation, and prints each
# side's median CPU time (user + sys) and the ratio ours / theirs.
#   scripts/bench-png-cli.sh [runs] [build folder]
# Needs a Release build with kelvara-cli and bench_png, and netpbm's pngtopnm. With
# KELVARA_PNG_PEERS_DIR set, the images are kept in that folder and reused by later runs.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-7}"
build="${2:-build}"
cli="$build/kelvara-cli"
bench="$build/bench/bench_png"
for tool in "$cli" "$bench"; do
  [ -x "$tool" ] || { echo "missing $tool: build kelvara-cli and bench_png first" >&2; exit 1; }
done
if ! command -v pngtopnm >/dev/null; then
  echo "pngtopnm not found (apt-get install netpbm): nothing to compare with" >&2
  exit 0
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
images="${KELVARA_PNG_PEERS_DIR:-$work}"
if [ ! -f "$images/peers-plain.png" ] || [ ! -f "$images/peers-interlaced.png" ]; then
  # The benchmark writes its test images when asked; running no benchmark keeps it short.
  mkdir -p "$images"
  KELVARA_PNG_PEERS_DIR="$images" "$bench" --benchmark_filter='^$' >/dev/null 2>&1 || true
fi

# CPU seconds (user + sys) of one run of a command whose standard output goes to file $1.
cpu_time() {
  local TIMEFORMAT='%U %S' times out="$1"
  shift
  times=$( { time "$@" >"$out" 2>/dev/null; } 2>&1 )
  awk '{ printf "%.3f\n", $1 + $2 }' <<<"$times"
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf '%-24s %12s %12s %8s  %s\n' "image" "kelvara s" "pngtopnm s" "ratio" "same output"
for name in peers-plain peers-interlaced; do
  png="$images/$name.png"
  [ -f "$png" ] || { echo "bench_png did not write $png" >&2; exit 1; }
  : >"$work/ours" && : >"$work/theirs"
  for ((i = 0; i < runs; ++i)); do
    cpu_time /dev/null "$cli" png "$png" "$work/ours.ppm" >>"$work/ours"
    cpu_time "$work/theirs.ppm" pngtopnm -mix -background=white "$png" >>"$work/theirs"
  done
  ours=$(median <"$work/ours")
  theirs=$(median <"$work/theirs")
  same=$(cmp -s "$work/ours.ppm" "$work/theirs.ppm" && echo yes || echo no)
  printf '%-24s %12s %12s %8.3f  %s\n' "$name" "$ours" "$theirs" \
    "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')" "$same"
done
