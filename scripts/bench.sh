#!/usr/bin/env bash
# Builds the benchmarks (preset "bench", optimised) and runs them, after a
# line that names the machine. Usage: scripts/bench.sh [benchmark options],
# e.g. --benchmark_filter=Sintetico or --benchmark_repetitions=3.
# What the numbers mean, and the last ones recorded: bench/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
SB_BENCH_TOOLS=1 scripts/ensure-tools.sh
cmake --preset bench -DSB_WERROR="${SB_WERROR:-OFF}" >/dev/null
cmake --build --preset bench --target sb_bench >/dev/null
compilatore=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' out/bench/CMakeCache.txt)
echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
  "$("$compilatore" --version | head -1), folder $(df -T "${TMPDIR:-/tmp}" | awk 'NR==2 {print $2}')"
exec out/bench/bench/sb_bench --benchmark_counters_tabular=true "$@"
