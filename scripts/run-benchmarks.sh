#!/usr/bin/env bash
# Builds the benchmarks in Release and prints their results as one table.
#   scripts/run-benchmarks.sh [benchmark filter regex]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKELVARA_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null
filter="${1:-.}"
export QT_QPA_PLATFORM=offscreen
printf '%-58s %14s %14s  %s\n' "Benchmark" "Time" "CPU" "Throughput and counters"
for bench in build-bench/bench/bench_*; do
  [ -x "$bench" ] || continue
  # Console rows: name, time, unit, cpu, unit, iterations, counters.
  "$bench" --benchmark_filter="$filter" --benchmark_color=false 2>/dev/null |
    awk '$1 ~ /^BM_/ { printf "%-58s %10s %-3s %10s %-3s ", $1, $2, $3, $4, $5;
                       for (i = 7; i <= NF; ++i) printf " %s", $i; printf "\n" }' || true
done
