#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Plenwick need.
# Quick when everything is already there; uses sudo when not run as root. When another program
# is installing packages, waits for it (up to ten minutes) rather than failing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libqt6svg6 libgl-dev
  libsqlite3-dev sqlite3 libpq-dev postgresql postgresql-common
  libcsv-dev libquazip1-qt6-dev python3-openpyxl
  fonts-liberation2 fonts-ebgaramond
  xvfb xauth xdotool imagemagick poppler-utils chromium
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# apt-get waits for dpkg's lock by itself, but not for the lock of the package lists: an update
# refused for that lock is tried again while another apt holds it.
apt=("${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for try in $(seq 60); do
  if "${apt[@]}" update -qq 2>"$log"; then
    cat "$log" >&2
    break
  fi
  if [[ $try == 60 ]] || ! grep -qi 'lock' "$log"; then
    cat "$log" >&2
    exit 1
  fi
  echo "Waiting for another package manager to finish..."
  sleep 10
done
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
