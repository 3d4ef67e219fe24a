#!/usr/bin/env bash
# Installs what is missing, builds Kelvara (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKELVARA_BUILD_TESTS=OFF >/dev/null
cmake --build build --target kelvara kelvara-cli -j"$(nproc)"
exec ./build/kelvara "$@"
