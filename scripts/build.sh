#!/usr/bin/env bash
# Configures (once) and builds the program, its tools and its tests in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
