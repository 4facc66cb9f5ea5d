#!/usr/bin/env bash
# Builds the project and runs its tests. Usage: scripts/test.sh [preset]
# (preset: default or asan). Set SB_WERROR=ON to treat warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/ensure-tools.sh
cmake --preset "$preset" -DSB_WERROR="${SB_WERROR:-OFF}" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
