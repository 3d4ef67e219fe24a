#!/usr/bin/env bash
# Raw inflate against libdeflate (and zlib), in memory: bench_archive's peer benchmark decodes
# the same zlib level 6 streams with each decoder in alternation.
set -euo pipefail
here="$(dirname "$0")"
. "$here/lib.sh"
build="$1"
json=$("$build/bench/bench_archive" --benchmark_filter='BM_InflatePeers' --benchmark_format=json \
  2>/dev/null)
python3 - "$json" <<'PY'
import json, sys
names = {"text": "real text", "library": "a shared library", "doctar": "a documentation tarball"}
for b in json.loads(sys.argv[1])["benchmarks"]:
    kind = b["name"].split("/")[1] if "/" in b["name"] else b["name"].split("_")[-1]
    label = names.get(kind, kind)
    own = b["own_MBps"]
    peer = b.get("libdeflate_MBps")
    print("\t".join([f"Raw inflate of {label} (zlib level 6), in memory", f"{own:,.0f} MB/s",
                     "libdeflate", f"{peer:,.0f} MB/s" if peer else "-",
                     f"{own / peer:.2f} of its speed" if peer else "-",
                     ">= 0.80 of its speed"]))
PY
