#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need; does nothing when all are present.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config git
  qt6-base-dev libgl-dev
  libcurl4-openssl-dev libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev locales
  clang clang-format libclang-rt-14-dev
  xvfb xauth xdotool x11-utils python3 python3-pyftpdlib
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
