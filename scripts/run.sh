#!/usr/bin/env bash
# Installs what is missing, builds the program alone and starts it. Arguments go to the program.
# On the first run the program creates its database, Estimating.mdb, in the user's data folder
# (~/.local/share/Dorvane/PX/): never in the build folder, which a clean build deletes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
TARGET=plenwick BUILD_DIR=$build "$root/scripts/build.sh"

# Earlier versions kept the database in the build folder; say so while the settings still name
# one there.
stored=$(sed -n 's/^DBPath=//p' "${XDG_CONFIG_HOME:-$HOME/.config}/Dorvane/PX.conf" 2>/dev/null |
  head -n 1 || true)
case "$stored" in
  "$build"/*)
    echo "Note: the database in use, $stored, lies in the build folder, which a clean build" >&2
    echo "deletes. Move it out (e.g. to ${XDG_DATA_HOME:-$HOME/.local/share}/Dorvane/PX/) and" >&2
    echo "change DBPath in ${XDG_CONFIG_HOME:-$HOME/.config}/Dorvane/PX.conf to match." >&2
    ;;
esac
exec "$build/plenwick" "$@"
