#!/usr/bin/env bash
# Builds the libFuzzer targets under ASan and UBSan and runs each for a bounded
# time from the seed corpus in fuzz/corpus/. Any crash, sanitizer report,
# broken property, timeout or memory blow-up fails the run.
# Usage: fuzz/run.sh [seconds per target, default 60]
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
# The one place the LLVM version is set; .ci/run installs the same.
llvm=$(<"$root/fuzz/llvm-version")
[[ $llvm =~ ^[0-9]+$ ]] || { echo "fuzz/run.sh: fuzz/llvm-version holds '$llvm', not a version" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER="clang++-$llvm" -DCHECK_RT_FUZZ=ON \
  -DBUILD_TESTING=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build" -j2 --target record_fuzz list_fuzz >/dev/null

for target in record list; do
  # New inputs go to a scratch corpus; the seeds in the repository stay as they are.
  work=$build/corpus-$target
  rm -rf "$work" && mkdir -p "$work" "$build/findings"
  log=$build/$target-fuzz.log
  if ! "$build/fuzz/${target}_fuzz" "$work" "$root/fuzz/corpus/$target" -max_total_time="$seconds" \
      -dict="$root/fuzz/$target.dict" -max_len=8192 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz/run.sh: ${target}_fuzz found a fault; the input is in $build/findings/" >&2
    exit 1
  fi
  edges=$(sed -n 's/.*Loaded 1 modules *(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "${target}_fuzz: $runs executions in ${seconds} s, coverage $cov of $edges edges, corpus $(ls "$work" | wc -l) new inputs"
done

# Which lines of the tool the final corpora reach, from a coverage build
# that runs every input once.
coverage=$build/coverage
# The build runs programs of its own (configure's probe, rounding_check): their
# profiles go to the coverage folder, not to the one this was started from.
export LLVM_PROFILE_FILE="$coverage/build-%p.profraw"
cmake -S "$root" -B "$coverage" -DCMAKE_CXX_COMPILER="clang++-$llvm" -DCHECK_RT_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" >/dev/null
cmake --build "$coverage" -j2 --target record_fuzz list_fuzz >/dev/null
rm -f "$coverage"/*.profraw
for target in record list; do
  LLVM_PROFILE_FILE="$coverage/$target.profraw" "$coverage/fuzz/${target}_fuzz" -runs=0 \
    "$build/corpus-$target" "$root/fuzz/corpus/$target" >/dev/null 2>&1
done
"llvm-profdata-$llvm" merge -o "$coverage/fuzz.profdata" "$coverage"/*.profraw
"llvm-cov-$llvm" report "$coverage/fuzz/record_fuzz" -object "$coverage/fuzz/list_fuzz" \
  -instr-profile="$coverage/fuzz.profdata" "$root"/src/*.cpp
