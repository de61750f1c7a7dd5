#!/usr/bin/env bash
# Regenerates the dialog screenshots in docs/ under a virtual X display.
# Usage: scripts/screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
"$root/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" xvfb xauth

cmake --preset default -S "$root" >/dev/null
cmake --build "$root/build/default" --target morvane morvane-screenshots

mkdir -p "$root/docs"
# The real X platform, not offscreen, so the pictures show what a desktop shows.
env -u QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1024x768x24" \
  "$root/build/default/app/morvane-screenshots" "$root/docs"
