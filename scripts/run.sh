#!/usr/bin/env bash
# Builds and starts the program.
# Usage: scripts/run.sh [--emulator]
#   --emulator  also starts an emulated receiver and points COM1 at it, so every
#               operation can be tried without a receiver on a serial cable.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
"$root/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"

cmake --preset default -S "$root" >/dev/null
cmake --build "$root/build/default" --target morvane morvane-receiver

emulator_pid=
cleanup() { [[ -n "$emulator_pid" ]] && kill "$emulator_pid" 2>/dev/null || true; }
trap cleanup EXIT

if [[ "${1:-}" == "--emulator" ]]; then
  link=${TMPDIR:-/tmp}/morvane-com1-$(id -un)
  "$root/build/default/emulator/morvane-receiver" --variant 0 --link "$link" &
  emulator_pid=$!
  for _ in $(seq 50); do [[ -e "$link" ]] && break; sleep 0.1; done
  export MORVANE_COM1=$link
  echo "Emulated receiver on COM1 ($link)"
fi

# The settings file lives in the working directory the program starts in.
"$root/build/default/app/morvane"
