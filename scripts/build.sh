#!/usr/bin/env bash
# Configures and builds Plenwick into ./build (or $BUILD_DIR): everything, or only $TARGET
# (e.g. TARGET=plenwick for the program alone). Extra arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" ${TARGET:+--target "$TARGET"}
