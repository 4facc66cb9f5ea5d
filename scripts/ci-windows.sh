#!/usr/bin/env bash
# Continuous integration: the Windows executables, cross-built and checked
# under Wine (see scripts/windows-test.sh).
set -euo pipefail
exec bash "$(dirname "$0")/windows-test.sh"
