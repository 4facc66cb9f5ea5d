#!/usr/bin/env bash
# Continuous integration: every fuzz harness for a bounded time (60 s each
# unless SB_FUZZ_SECONDS says otherwise); any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
exec scripts/fuzz.sh "${SB_FUZZ_SECONDS:-60}"
