#!/bin/bash
# Installs what is missing, builds Shellyard and starts it on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHELLYARD_TESTS=OFF -DSHELLYARD_BENCH=OFF
cmake --build build -j"$(nproc)" --target shellyard
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display (DISPLAY is not set); the program is built at build/src/shellyard" >&2
    exit 1
fi
exec build/src/shellyard
