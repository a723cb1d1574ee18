#!/usr/bin/env bash
# Builds Plenwick and runs the whole test suite. Set SANITIZE=1 for AddressSanitizer + UBSan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
extra=()
if [[ "${SANITIZE:-0}" == 1 ]]; then
  export BUILD_DIR=${BUILD_DIR:-$root/build-asan}
  extra=(-DPLENWICK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
build=${BUILD_DIR:-$root/build}
BUILD_DIR=$build "$root/scripts/build.sh" "${extra[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"${JOBS:-2}"
