#!/usr/bin/env bash
# PNG decoding in memory against libpng's png_read_image: bench_png's peer benchmark decodes
# the same 4096 x 4096 RGBA images with each decoder in alternation.
set -euo pipefail
here="$(dirname "$0")"
. "$here/lib.sh"
build="$1"
json=$("$build/bench/bench_png" --benchmark_filter='BM_PngPeers' --benchmark_format=json 2>/dev/null)
python3 - "$json" <<'PY'
import json, sys
for b in json.loads(sys.argv[1])["benchmarks"]:
    kind = "interlaced" if "Interlaced" in b["name"] else "plain"
    ours, theirs = b["kelvara_MB/s"], b.get("libpng_MB/s")
    print("\t".join([f"PNG decoding in memory, 4096 x 4096 RGBA, {kind}",
                     f"{ours:,.0f} MB/s of RGBA", "libpng png_read_image",
                     f"{theirs:,.0f} MB/s" if theirs else "-",
                     f"{b['ratio']:.2f}" if theirs else "-", "<= 0.80"]))
PY
