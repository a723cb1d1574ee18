#!/usr/bin/env bash
# Installs a build into a scratch folder and checks what lands there: each file in its
# freedesktop place, icons of the size their folder names, a valid desktop entry and AppStream
# metadata whose newest release is the program's version, and a program that runs without a
# display. Usage: scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
id=org.dorvane.Plenwick
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() { echo "FAIL: $*"; failed=1; }
has() { [[ -f "$prefix/$1" ]] || fail "$1 was not installed"; }

has bin/plenwick
has share/applications/$id.desktop
has share/metainfo/$id.metainfo.xml
has share/icons/hicolor/scalable/apps/$id.svg
for size in 16 32 48 64 128 256; do
  png=share/icons/hicolor/${size}x${size}/apps/$id.png
  has "$png"
  [[ -f "$prefix/$png" ]] || continue
  # A PNG's width and height are the big-endian numbers at bytes 16 to 23.
  read -r -a b < <(od -An -tu1 -j16 -N8 "$prefix/$png")
  width=$(( b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3] ))
  height=$(( b[4] << 24 | b[5] << 16 | b[6] << 8 | b[7] ))
  [[ $width == "$size" && $height == "$size" ]] || fail "$png is ${width}x${height}"
done

for tool in desktop-file-validate appstreamcli; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "AppStream metadata: $(appstreamcli validate --no-net \
      "$prefix/share/metainfo/$id.metainfo.xml" 2>&1)"
fi

if [[ -x "$prefix/bin/plenwick" ]]; then
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/plenwick" \
    --version) || fail "plenwick --version exited $?"
  release=$(grep -o '<release version="[^"]*"' "$prefix/share/metainfo/$id.metainfo.xml" |
    head -n 1 | cut -d'"' -f2)
  [[ "$version" == "Plenwick $release" ]] ||
    fail "plenwick --version says \"$version\"; the newest release in the metadata is $release"
fi

[[ $failed == 0 ]] && echo "Installed and checked in $prefix"
exit $failed
