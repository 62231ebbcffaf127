#!/usr/bin/env bash
# Installs what is missing, builds the program (not its tests or tools), and
# starts the address book.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target adrsbook
exec build/adrsbook "$@"
