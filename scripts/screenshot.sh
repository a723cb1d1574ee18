#!/usr/bin/env bash
# Starts the program under a virtual display, with a settings store of its own, and saves a
# screenshot of its main window.
# Usage: scripts/screenshot.sh OUTPUT.png [WIDTHxHEIGHT] [xdotool key names...]
#   WIDTHxHEIGHT  the window's size (default 1024x768); the virtual screen is a little larger
#   key names     pressed in turn before the picture is taken, e.g. ctrl+2 for the Materials tab;
#                 "type:TEXT" types TEXT instead, e.g. type:/tmp/prices.csv
# Environment: DATABASE=path opens that file or server address (default: a fresh, empty database).
#              CAPTURE=title takes the window of that title instead, once the keys are pressed:
#              CAPTURE=Preferences scripts/screenshot.sh out.png 1024x768 alt+t p
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
size=${2:-1024x768}
shift $(( $# >= 2 ? 2 : 1 ))
build=${BUILD_DIR:-$root/build}
# Settings and data of its own, so the user's are neither shown nor touched.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
database=${DATABASE:-$config/Estimating.mdb}
[[ -n "${DATABASE:-}" ]] || "$build/plenwick" --create-database "$database"
mkdir -p "$config/Dorvane"
# A server's address is stored as it is; a file's path made absolute.
[[ "$database" == postgres*://* ]] || database=$(realpath "$database")
printf '[General]\nDBPath=%s\n' "$database" > "$config/Dorvane/PX.conf"
width=${size%x*}
height=${size#*x}
screen="-screen 0 $((width + 64))x$((height + 64))x24"
XDG_CONFIG_HOME=$config XDG_DATA_HOME=$config xvfb-run -a -s "$screen" bash -c '
  "$0" &
  pid=$!
  for _ in $(seq 50); do
    window=$(xdotool search --name "^Plenwick$" 2>/dev/null | head -n 1 || true)
    [[ -n "$window" ]] && break
    sleep 0.2
  done
  xdotool windowsize "$window" "$2" "$3"
  sleep 1
  xdotool windowfocus "$window" 2>/dev/null || true
  for key in "${@:5}"; do
    if [[ "$key" == type:* ]]; then xdotool type --delay 20 "${key#type:}"; else xdotool key "$key"; fi
    sleep 0.5
  done
  sleep 1
  if [[ -n "${CAPTURE:-}" ]]; then
    for _ in $(seq 20); do
      window=$(xdotool search --name "^${CAPTURE}\$" 2>/dev/null | head -n 1 || true)
      [[ -n "$window" ]] && break
      sleep 0.2
    done
    [[ -n "$window" ]] || { echo "no window named $CAPTURE" >&2; kill $pid; exit 1; }
  fi
  # The whole screen is grabbed and cut to the window, so open menus show as well.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
  kill $pid
' "$build/plenwick" "$out" "$width" "$height" placeholder "$@"
