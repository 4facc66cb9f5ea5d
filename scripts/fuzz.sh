#!/usr/bin/env bash
# Fuzzes the item reader, the whole compilation and the binary file decoders
# (with `scenario-tool dump`) under AddressSanitizer and
# UndefinedBehaviorSanitizer, each for SECONDS (default 600).
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]      HARNESS: lettore, compila, binari
#
# Builds tests/fuzz with clang into out/fuzz; the corpora grow in
# out/fuzz/corpus/<harness> from run to run, seeded from the embedded
# scenario, tests/data and tests/data/bad. A finding is saved as
# out/fuzz/findings/<harness>-crash-… (or leak-, timeout-, oom-) and makes
# the script fail; replay one with out/fuzz/fuzz_<harness> FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
secondi="${1:-600}"
shift || true
harness=("$@")
[ ${#harness[@]} -gt 0 ] || harness=(lettore compila binari)

# clang and libFuzzer (Debian: clang-14 and its compiler runtime).
clangxx=""
for c in clang++-14 clang++; do
  if command -v "$c" >/dev/null; then clangxx="$c"; break; fi
done
fuzzer_lib() { compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; }
if [ -z "$clangxx" ] || ! fuzzer_lib; then
  echo "installing: clang-14 libclang-rt-14-dev"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq clang-14 libclang-rt-14-dev
  clangxx=clang++-14
fi
command -v cmake >/dev/null || scripts/ensure-tools.sh

out=out/fuzz
cmake -S tests/fuzz -B "$out" -DCMAKE_CXX_COMPILER="$clangxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j2 >/dev/null

# Seeds: written afresh each run; the corpora keep what the fuzzer found.
rm -rf "$out/semi"
"$out/fuzz_semi" "$out/semi" tests/data/piccola_linea.txt tests/data/piccola_corsa.txt \
  tests/data/*.txt tests/data/diag/*.txt
if compgen -G "tests/data/bad/*" >/dev/null; then
  for f in tests/data/bad/*; do
    cp "$f" "$out/semi/lettore/bad_$(basename "$f")"
    cp "$f" "$out/semi/compila/bad_$(basename "$f")"
  done
fi
mkdir -p "$out/findings"

# The plan of the longest route takes a while under the sanitizers: inputs
# of the compilation get a generous time limit.
declare -A opzioni=(
  [lettore]="-max_len=65536 -timeout=10"
  [compila]="-max_len=65536 -timeout=60"
  [binari]="-max_len=16384 -timeout=10"
)

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
falliti=()
for h in "${harness[@]}"; do
  [ -n "${opzioni[$h]+x}" ] || { echo "unknown harness '$h' (lettore, compila, binari)" >&2; exit 64; }
  mkdir -p "$out/corpus/$h"
  echo "== fuzz_$h for ${secondi}s"
  log="$out/$h.log"
  # shellcheck disable=SC2086
  if "$out/fuzz_$h" "$out/corpus/$h" "$out/semi/$h" -dict=tests/fuzz/scenario.dict \
      -max_total_time="$secondi" -rss_limit_mb=2048 ${opzioni[$h]} -print_final_stats=1 \
      -artifact_prefix="$out/findings/$h-" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 || true)
    echo "   no finding: $runs inputs, ${cov:-cov: ?}, corpus $(ls "$out/corpus/$h" | wc -l) files"
  else
    falliti+=("$h")
    echo "   FINDING (log: $log):"
    grep -E 'ERROR|SUMMARY|property does not hold|runtime error|Test unit written' "$log" | head -20 | sed 's/^/   /'
  fi
done
if [ ${#falliti[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${falliti[*]}" >&2
  exit 1
fi
echo "fuzzing: no finding"
