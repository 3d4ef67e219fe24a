#!/usr/bin/env bash
# Builds Kelvara and its benchmarks in Release (build-bench/) and prints two tables:
#   1. every Google Benchmark row of bench/<folder>/ (binary bench_<folder>), peers left out;
#   2. the comparisons with the tools users would pick instead, one row each from every
#      scripts/bench/*.sh, with the ratio column, as a Markdown table.
#   scripts/run-benchmarks.sh [benchmark filter regex] [comparison name...]
# The peers (Info-ZIP unzip, 7-Zip, bsdtar, netpbm, Python, libdeflate, libpng, Xvfb) are
# installed here, not with the test dependencies. BENCH_RUNS sets the runs per comparison
# side (default 5). A bench folder whose binary is missing after the build fails the run once
# everything else has run.
set -euo pipefail
cd "$(dirname "$0")/.."
filter="${1:-.}"
shift || true
scripts/install-deps.sh
peers=(unzip zip 7zip libarchive-tools netpbm python3 libdeflate-dev libpng-dev xvfb xauth)
missing=()
for p in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKELVARA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
export QT_QPA_PLATFORM=offscreen
echo "Measured $(date -u +%F) on $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo

missing=()
printf '%-58s %14s %14s  %s\n' "Benchmark" "Time" "CPU" "Throughput and counters"
for folder in bench/*/; do
  folder=$(basename "$folder")
  compgen -G "bench/$folder/*.cpp" >/dev/null || continue
  bench=$build/bench/bench_$folder
  if [ ! -f "$bench" ] || [ ! -x "$bench" ]; then
    missing+=("$bench")
    continue
  fi
  # The peer benchmarks run in the comparison table below; the filter has no negation, so it
  # names the others, longest first (the regex takes the first alternative that matches).
  names=$("$bench" --benchmark_list_tests --benchmark_filter="$filter" 2>/dev/null |
    sed 's|/.*||' | grep -v Peers | sort -u | awk '{ print length($0), $0 }' | sort -rn |
    cut -d' ' -f2 | paste -sd'|' || true)
  [ -n "$names" ] || continue
  # Console rows: name, time, unit, cpu, unit, iterations, counters.
  "$bench" --benchmark_filter="^($names)(/|$)" --benchmark_color=false 2>/dev/null |
    awk '$1 ~ /^BM_/ { printf "%-58s %10s %-3s %10s %-3s ", $1, $2, $3, $4, $5;
                       for (i = 7; i <= NF; ++i) printf " %s", $i; printf "\n" }' || true
done

echo
echo "| Work | Kelvara | Peer | Peer's figure | Ratio | Target |"
echo "|---|---|---|---|---|---|"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
for script in scripts/bench/*.sh; do
  name=$(basename "$script" .sh)
  [ -x "$script" ] || continue
  if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
  mkdir -p "$work/$name"
  if ! "$script" "$build" "$work/$name" >"$work/$name.rows"; then
    failed+=("$name")
  fi
  awk -F'\t' 'NF == 6 { printf "| %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6 }' \
    "$work/$name.rows"
  rm -rf "${work:?}/$name"
done
status=0
if [ ${#missing[@]} -gt 0 ]; then
  echo "not built: ${missing[*]}" >&2
  status=1
fi
if [ ${#failed[@]} -gt 0 ]; then
  echo "comparisons that failed: ${failed[*]}" >&2
  status=1
fi
exit $status
