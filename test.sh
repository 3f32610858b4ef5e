#!/usr/bin/env bash
# Builds everything (installing what is missing) and runs the whole test
# suite headless. The exit status is the suite's.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 900
