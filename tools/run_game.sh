#!/usr/bin/env bash
# Builds Sky Volta and its synthrom tool in Release and runs the game; arguments go to the
# game (e.g. a ROM directory).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/tools/install_deps.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYVOLTA_TESTS=OFF -DSKYVOLTA_BENCH=OFF
cmake --build "$top/build/release" --target skyvolta synthrom
exec "$top/build/release/skyvolta" "$@"
