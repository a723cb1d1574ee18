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
tests=(ctest --test-dir "$build" --output-on-failure -j"${JOBS:-2}")
# The suite runs its server half against a throwaway PostgreSQL server that pg_virtualenv starts
# (and removes afterwards), unless PG* variables already name one. Where no server can be
# started, the server half reports itself skipped.
if [[ -n "${PGHOST:-}" || -z "$(command -v pg_virtualenv)" ]]; then
  exec "${tests[@]}"
fi
status=$(mktemp)
trap 'rm -f "$status"' EXIT
pg_virtualenv -t sh -c '"$@"; echo $? > "$0"' "$status" "${tests[@]}" || true
if [[ -s "$status" ]]; then
  exit "$(cat "$status")"
fi
echo "No PostgreSQL server could be started: the server half of the suite is skipped." >&2
"${tests[@]}"
