#!/usr/bin/env bash
# Installs (with apt-get) whatever the build, the game and the tests need and is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libsdl2-dev libx11-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
          zlib1g-dev libimgui-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth zip clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
