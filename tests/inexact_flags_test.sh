#!/usr/bin/env bash
# A build whose flags let the compiler round otherwise than IEEE doubles do is
# refused with g++ and with clang++: by configure when the flag stands in
# CMake's flag variables, and by the build when it comes some other way (here
# a compiler launcher that CMake cannot see into), through the compiler's own
# macros or through rounding_check.
# Usage: tests/inexact_flags_test.sh SOURCE_DIR SCRATCH_DIR CLANG_CXX
set -euo pipefail
if (($# != 3)); then
    echo "usage: $0 SOURCE_DIR SCRATCH_DIR CLANG_CXX" >&2
    exit 2
fi
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
scratch=$(cd "$2" && pwd)
clang=$3
failed=0

# refused EXPECTED_TEXT COMPILER CMAKE_ARGUMENT...: configuring, or else
# building check_RT, fails and says EXPECTED_TEXT.
refused() {
    local expected=$1 cxx=$2
    shift 2
    local build=$scratch/build log=$scratch/log
    rm -rf "$build"
    if cmake -S "$source_dir" -B "$build" -DBUILD_TESTING=OFF -DCMAKE_CXX_COMPILER="$cxx" "$@" >"$log" 2>&1 &&
        cmake --build "$build" -j2 --target check_RT >>"$log" 2>&1; then
        echo "inexact_flags_test: $cxx $* gave a check_RT" >&2
        failed=1
    elif ! tr -s ' \n' '  ' <"$log" | grep -qF -- "$expected"; then
        tail -n 20 "$log"
        echo "inexact_flags_test: $cxx $* failed without saying '$expected'" >&2
        failed=1
    else
        echo "refused: $cxx $*"
    fi
}

configured="which lets the compiler round otherwise than IEEE doubles do"
for cxx in g++ "$clang"; do
    refused "CMAKE_CXX_FLAGS holds -ffast-math, $configured" "$cxx" -DCMAKE_CXX_FLAGS=-ffast-math
    refused "CMAKE_CXX_FLAGS_RELEASE holds -Ofast, $configured" "$cxx" -DCMAKE_CXX_FLAGS_RELEASE=-Ofast
    refused "CMAKE_CXX_FLAGS holds -ffinite-math-only, $configured" "$cxx" -DCMAKE_CXX_FLAGS=-ffinite-math-only
    refused "CMAKE_CXX_FLAGS holds -fassociative-math, $configured" "$cxx" \
        "-DCMAKE_CXX_FLAGS=-fassociative-math -freciprocal-math -fno-signed-zeros -fno-trapping-math"
    refused "CMAKE_EXE_LINKER_FLAGS holds -ffast-math, $configured" "$cxx" -DCMAKE_EXE_LINKER_FLAGS=-ffast-math
done
refused "CMAKE_CXX_FLAGS holds -ffp-model=fast, $configured" "$clang" -DCMAKE_CXX_FLAGS=-ffp-model=fast
refused "CMAKE_CXX_FLAGS holds -fno-honor-infinities, $configured" "$clang" -DCMAKE_CXX_FLAGS=-fno-honor-infinities

# Flags out of CMake's sight: the launcher adds $INEXACT to every compile or link.
launcher=$scratch/launcher
printf '#!/bin/sh\nexec "$@" $INEXACT\n' >"$launcher"
chmod +x "$launcher"
built="this build does not round as IEEE doubles do"
INEXACT=-ffinite-math-only refused "fast-math style flags let the compiler round otherwise" g++ \
    -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
INEXACT="-fassociative-math -freciprocal-math -fno-signed-zeros -fno-trapping-math" refused "$built" "$clang" \
    -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
INEXACT=-ffast-math refused "32 readings of 1e-310" g++ -DCMAKE_CXX_LINKER_LAUNCHER="$launcher"
exit $failed
