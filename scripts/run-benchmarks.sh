#!/usr/bin/env bash
# Builds the benchmarks in Release and prints their results as one table.
#   scripts/run-benchmarks.sh [benchmark filter regex]
# Every bench/<folder>/ with sources is one binary, bench_<folder>; a folder whose binary is
# missing after the build is reported and fails the run once the others have run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKELVARA_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null
filter="${1:-.}"
export QT_QPA_PLATFORM=offscreen
missing=()
printf '%-58s %14s %14s  %s\n' "Benchmark" "Time" "CPU" "Throughput and counters"
for folder in bench/*/; do
  folder=$(basename "$folder")
  compgen -G "bench/$folder/*.cpp" >/dev/null || continue
  bench=build-bench/bench/bench_$folder
  if [ ! -f "$bench" ] || [ ! -x "$bench" ]; then
    missing+=("$bench")
    continue
  fi
  # Console rows: name, time, unit, cpu, unit, iterations, counters.
  "$bench" --benchmark_filter="$filter" --benchmark_color=false 2>/dev/null |
    awk '$1 ~ /^BM_/ { printf "%-58s %10s %-3s %10s %-3s ", $1, $2, $3, $4, $5;
                       for (i = 7; i <= NF; ++i) printf " %s", $i; printf "\n" }' || true
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "not built: ${missing[*]}" >&2
  exit 1
fi
