#!/usr/bin/env bash
# Starts the program under a virtual display and saves a screenshot of its window.
# Usage: scripts/screenshot.sh OUTPUT.png [WIDTHxHEIGHT] [plenwick arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
size=${2:-1024x768}
shift $(( $# >= 2 ? 2 : 1 ))
build=${BUILD_DIR:-$root/build}
[[ -e "$build/Estimating.mdb" ]] || "$build/plenwick" --create-database "$build/Estimating.mdb"
xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
  "$0" "${@:2}" &
  pid=$!
  sleep 3
  window=$(xdotool search --name "^Plenwick$" 2>/dev/null | head -n 1)
  import -window "${window:-root}" "$1"
  kill $pid
' "$build/plenwick" "$out" "$@"
