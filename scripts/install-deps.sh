#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Kelvara need; packages
# already installed are skipped. Runs as root, or through sudo when available.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  # lupdate/lrelease, the CMake package Qt6LinguistTools (qt6-tools-dev) and Qt's own catalogues
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  libxml2-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  zip unzip
)
if [ "${KELVARA_FUZZ_DEPS:-0}" = 1 ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
