#!/usr/bin/env bash
# Builds the program and runs the whole test suite.
# Usage: scripts/test.sh [default|sanitize]   (default: default)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${BUILD_PACKAGES[@]}"

preset=${1:-default}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
