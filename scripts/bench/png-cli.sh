#!/usr/bin/env bash
# `kelvara-cli png FILE OUT.ppm` against `pngtopnm -mix -background=white FILE` on bench_png's
# 4096 x 4096 RGBA images (plain and interlaced): median CPU seconds (user + sys) of each side,
# in alternation; the two pictures must agree to within one per channel.
set -euo pipefail
here="$(dirname "$0")"
. "$here/lib.sh"
build="$1" work="$2"
cli="$build/kelvara-cli"
# The benchmark writes its test images when asked; running no benchmark keeps it short.
KELVARA_PNG_PEERS_DIR="$work" "$build/bench/bench_png" --benchmark_filter='^$' >/dev/null 2>&1 || true
for name in plain interlaced; do
  png="$work/peers-$name.png"
  [ -f "$png" ] || { echo "bench_png did not write $png" >&2; exit 1; }
  work_text="\`kelvara-cli png\` 4096 x 4096 RGBA to PPM over white, $name (CPU)"
  if ! have pngtopnm; then
    row "$work_text" "-" "pngtopnm" "-" "-" "<= 0.50"
    continue
  fi
  : >"$work/ours" && : >"$work/theirs"
  for ((i = 0; i < runs; ++i)); do
    timed /dev/null "$cli" png "$png" "$work/ours.ppm" | awk '{ print $2 }' >>"$work/ours"
    timed "$work/theirs.ppm" pngtopnm -mix -background=white "$png" | awk '{ print $2 }' >>"$work/theirs"
  done
  ours=$(median <"$work/ours")
  theirs=$(median <"$work/theirs")
  # The two blend with different rounding: no channel may differ by more than one.
  python3 - "$work/ours.ppm" "$work/theirs.ppm" <<'PY' || echo "png-cli: the $name pictures differ" >&2
import sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
sys.exit(len(a) != len(b) or any(abs(x - y) > 1 for x, y in zip(a, b) if x != y))
PY
  row "$work_text" "$(printf '%.3f s' "$ours")" "pngtopnm -mix -background=white" \
    "$(printf '%.3f s' "$theirs")" "$(ratio "$ours" "$theirs")" "<= 0.50"
done
