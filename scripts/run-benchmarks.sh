#!/usr/bin/env bash
# Builds the benchmarks in Release and prints one table of their results.
#   scripts/run-benchmarks.sh [benchmark filter regex]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKELVARA_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)"
filter="${1:-.}"
export QT_QPA_PLATFORM=offscreen
printf '%-60s %14s %16s\n' "benchmark" "time" "throughput"
for bench in build-bench/bench/bench_*; do
  [ -x "$bench" ] || continue
  "$bench" --benchmark_filter="$filter" --benchmark_format=csv 2>/dev/null |
    awk -F, 'NR > 1 && $1 != "" {
      name = $1; gsub(/"/, "", name)
      rate = ($6 != "") ? sprintf("%.1f MB/s", $6 / 1e6) : (($7 != "") ? sprintf("%.0f items/s", $7) : "")
      printf "%-60s %11.3f %s %16s\n", name, $3, $5, rate
    }'
done
