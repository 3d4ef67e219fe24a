#!/usr/bin/env bash
# Installs what is missing, builds Kelvara with its tests and runs the whole suite.
#   ./test.sh             the normal (Release) build in build/
#   ./test.sh --sanitize  the same suite built with AddressSanitizer and UBSan in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

dir=build
flags=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_SANITIZE=ON -DKELVARA_BUILD_BENCH=OFF)
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
