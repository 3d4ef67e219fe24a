#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UBSan, and runs each for
# the given number of seconds (default 60) on a seed corpus made from the test data.
#   fuzz/run.sh [SECONDS] [WHICH...]
# Every fuzz/<folder>/<name>_fuzz.cpp is a target fuzz_<folder>_<name>. WHICH is a folder (all
# of its targets: archive png highlight textview collection) or a target, with or without the
# "fuzz_" and folder prefixes (fuzz_textview_text_loading, textview_text_loading, text_loading);
# without WHICH every target runs.
set -euo pipefail
cd "$(dirname "$0")/.."
KELVARA_FUZZ_DEPS=1 scripts/install-deps.sh
seconds="${1:-60}"
shift || true

all=()  # folder/name of every target in the tree
for source in fuzz/*/*_fuzz.cpp; do
  name=$(basename "$source" _fuzz.cpp)
  all+=("$(basename "$(dirname "$source")")/$name")
done
[ ${#all[@]} -gt 0 ] || { echo "no fuzz/<folder>/*_fuzz.cpp found" >&2; exit 1; }

targets=()
if [ $# -eq 0 ]; then
  targets=("${all[@]}")
fi
for which in "$@"; do
  found=0
  for target in "${all[@]}"; do
    folder=${target%/*} name=${target#*/}
    case $which in
      "$folder" | "$name" | "${folder}_$name" | "fuzz_${folder}_$name") targets+=("$target"); found=1 ;;
    esac
  done
  [ $found = 1 ] || { echo "no fuzz target matches \"$which\" (have: ${all[*]})" >&2; exit 2; }
done

binary() { echo "fuzz_${1%/*}_${1#*/}"; }  # folder/name -> fuzz_folder_name

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_FUZZ=ON \
  -DKELVARA_BUILD_TESTS=OFF -DKELVARA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target $(for t in "${targets[@]}"; do binary "$t"; done)

seed() {  # seed corpus per target: the committed seeds plus matching test data
  local target=$1 folder=${1%/*} name=${1#*/}
  local dir=build-fuzz/corpus/$(binary "$target")
  mkdir -p "$dir"
  if [ -d "fuzz/$folder/seeds/$name" ]; then cp "fuzz/$folder/seeds/$name"/* "$dir"; fi
  case $target in
    archive/*) find tests/data -iname '*.zip' -size -200k -exec cp {} "$dir" \; ;;
    png/*) find tests/data -iname '*.png' -exec cp {} "$dir" \; ;;
    highlight/* | textview/*) find tests/data -type f \( -name '*.xml' -o -name '*.html' -o -name '*.css' -o -name '*.js' -o -name '*.txt' \) -size -64k -exec cp {} "$dir" \; ;;
    collection/manifest) printf '<widget id="a" height="1"><description>x</description><access network="true"/></widget>' >"$dir/m.xml" ;;
  esac
  echo "$dir"
}

# Crashing inputs land in build-fuzz/artifacts/<binary>/, the whole output in build-fuzz/logs/.
export QT_QPA_PLATFORM=offscreen
mkdir -p build-fuzz/logs
for target in "${targets[@]}"; do
  bin=$(binary "$target")
  corpus=$(seed "$target")
  artifacts=build-fuzz/artifacts/$bin
  log=build-fuzz/logs/$bin.log
  mkdir -p "$artifacts"
  echo "== $bin for ${seconds}s (log $log)"
  build-fuzz/fuzz/$bin "$corpus" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || true
  grep -E '^(#[0-9]+.*(DONE|INITED)|stat::|==|SUMMARY|Done|artifact_prefix|Test unit written)' "$log" || true
done
