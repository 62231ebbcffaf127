#!/usr/bin/env bash
# Installs what is missing, checks the folders' includes, builds, and runs
# the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/checkincludes.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
