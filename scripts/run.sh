#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Quillmark in Release and starts it.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF
cmake --build "$top/build/release"
exec "$top/build/release/Quillmark" "$@"
