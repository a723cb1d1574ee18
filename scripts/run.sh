#!/usr/bin/env bash
# Installs what is missing, builds, creates the default database beside the program when there
# is none, and starts Plenwick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
if [[ ! -e "$build/Estimating.mdb" ]]; then
  "$build/plenwick" --create-database "$build/Estimating.mdb"
fi
exec "$build/plenwick" "$@"
