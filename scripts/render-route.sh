#!/usr/bin/env bash
# Draws the embedded scenario into docs/route.png: builds the authoring tool,
# builds the scenario into a temporary folder, plots the three files and
# renders the SVG. Usage: scripts/render-route.sh [preset] (default: default).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

scripts/ensure-tools.sh
if ! command -v rsvg-convert >/dev/null && ! command -v convert >/dev/null; then
  echo "installing: librsvg2-bin"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq librsvg2-bin
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target scenario-tool
tool="out/$preset/scenario-tool"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# 0: built; 1: built, but the compilation recorded a code (the picture then
# shows the tables as far as they were filled); anything else: no files.
status=0
"$tool" build --out "$tmp/build" >/dev/null || status=$?
if [ "$status" -gt 1 ]; then
  echo "render-route: the build wrote no files (exit status $status)" >&2
  exit "$status"
fi
[ "$status" -eq 1 ] && echo "render-route: warning: the build recorded a code; drawing what it wrote" >&2

"$tool" plot --dir "$tmp/build" --out "$tmp/route.svg"
mkdir -p docs
if command -v rsvg-convert >/dev/null; then
  rsvg-convert --background-color=white -o docs/route.png "$tmp/route.svg"
else
  convert -background white "$tmp/route.svg" docs/route.png
fi
echo "wrote docs/route.png"
