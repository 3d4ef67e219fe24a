#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UBSan, and runs each for
# the given number of seconds (default 60) on a seed corpus made from the test data.
#   fuzz/run.sh [SECONDS] [TARGET...]     targets: archive png highlight text_loading manifest
set -euo pipefail
cd "$(dirname "$0")/.."
KELVARA_FUZZ_DEPS=1 scripts/install-deps.sh
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(archive png highlight text_loading manifest)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_FUZZ=ON \
  -DKELVARA_BUILD_TESTS=OFF -DKELVARA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}")

seed() {  # seed corpus per target: the committed seeds plus matching test data
  local target=$1 dir=build-fuzz/corpus/$1
  mkdir -p "$dir"
  if [ -d "fuzz/seeds/$target" ]; then cp fuzz/seeds/"$target"/* "$dir"; fi
  case $target in
    archive) find tests/data -iname '*.zip' -size -200k -exec cp {} "$dir" \; ;;
    png) find tests/data -iname '*.png' -exec cp {} "$dir" \; ;;
    highlight|text_loading) find tests/data -type f \( -name '*.xml' -o -name '*.html' -o -name '*.css' -o -name '*.js' -o -name '*.txt' \) -size -64k -exec cp {} "$dir" \; ;;
    manifest) printf '<widget id="a" height="1"><description>x</description><access network="true"/></widget>' >"$dir/m.xml" ;;
  esac
  echo "$dir"
}

# Crashing inputs land in build-fuzz/artifacts/<target>/, the whole output in build-fuzz/logs/.
export QT_QPA_PLATFORM=offscreen
mkdir -p build-fuzz/logs
for target in "${targets[@]}"; do
  corpus=$(seed "$target")
  artifacts=build-fuzz/artifacts/$target
  log=build-fuzz/logs/$target.log
  mkdir -p "$artifacts"
  echo "== fuzz_$target for ${seconds}s (log $log)"
  build-fuzz/fuzz/fuzz_$target "$corpus" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || true
  grep -E '^(#[0-9]+.*(DONE|INITED)|stat::|==|SUMMARY|Done|artifact_prefix|Test unit written)' "$log" || true
done
