#!/usr/bin/env bash
# Builds the builder and runs it the way its users do: from its own folder,
# which is out/run. The scenario package appears there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-tools.sh
cmake --preset default >/dev/null
cmake --build --preset default --target R47093 scenario-tool
mkdir -p out/run
cp out/default/R47093 out/run/R47093
status=0
(cd out/run && ./R47093) || status=$?
echo "exit status $status; files in out/run:"
ls -l out/run
exit "$status"
