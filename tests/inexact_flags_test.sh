#!/usr/bin/env bash
# Flags that let the compiler round otherwise than IEEE doubles do fail the
# build, however they reach g++ or clang++: the analysis does not compile where
# the compiler's macros admit them, and rounding_check fails where they do not.
# Usage: tests/inexact_flags_test.sh SOURCE_DIR SCRATCH_DIR CLANG_CXX
set -euo pipefail
(($# == 3)) || { echo "usage: $0 SOURCE_DIR SCRATCH_DIR CLANG_CXX" >&2; exit 2; }
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
scratch=$(cd "$2" && pwd)
clang=$3
failed=0
fail() { echo "inexact_flags_test: $*" >&2; failed=1; }

# refused EXPECTED_TEXTS COMPILER CMAKE_ARGUMENT...: configuring succeeds,
# building check_RT fails, and the log says each line of EXPECTED_TEXTS. The
# project is the source directory, or $project where that is set.
refused() {
    local expected=$1 cxx=$2 text
    shift 2
    local build=$scratch/build log=$scratch/log
    local row="${project:+parent project }${INEXACT:+INEXACT='$INEXACT' }${CCC_OVERRIDE_OPTIONS:+CCC_OVERRIDE_OPTIONS='$CCC_OVERRIDE_OPTIONS' }$cxx $*"
    rm -rf "$build"
    if ! cmake -S "${project:-$source_dir}" -B "$build" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER="$cxx" "$@" >"$log" 2>&1; then
        tail -n 20 "$log"; fail "$row does not configure"; return
    fi
    if cmake --build "$build" -j2 --target check_RT >>"$log" 2>&1; then
        fail "$row gave a check_RT"; return
    fi
    while IFS= read -r text; do
        grep -qF -- "$text" "$log" || { tail -n 20 "$log"; fail "$row failed without saying '$text'"; return; }
    done <<<"$expected"
    echo "refused: $row"
}

by_macro="fast-math style flags let the compiler round otherwise than IEEE doubles do"
by_check="rounding_check: this build does not round as IEEE doubles do"
by_fusing="wrong, as when each squared deviation is fused into the sum"
by_both="wrong, as when the division by 31 becomes a multiplication by 1/31"$'\n'"$by_fusing"
for cxx in g++ "$clang"; do
    refused "$by_macro" "$cxx" -DCMAKE_CXX_FLAGS=-ffast-math
    refused "$by_macro" "$cxx" -DCMAKE_CXX_FLAGS_RELEASE=-Ofast
    # Linked with the flag, rounding_check runs with tiny numbers flushed to zero.
    refused "32 readings of 1e-310: wrong" "$cxx" -DCMAKE_EXE_LINKER_FLAGS=-ffast-math
done
refused "$by_macro" g++ -DCMAKE_CXX_FLAGS=-ffinite-math-only
refused "$by_check" g++ -DCMAKE_CXX_FLAGS=-fsingle-precision-constant
# clang++ shows these in no macro: it divides by 31 as a multiplication by
# 1/31, and fuses squares into the sum where the contraction comes after the
# project's -ffp-contract=off (a launcher's flags, CCC_OVERRIDE_OPTIONS). g++
# fuses only where it does not vectorise the sum of squares, as at -Os.
reciprocal=-freciprocal-math
fused="-mfma -ffp-contract=fast"
refused "wrong, as when the division by 31 becomes a multiplication by 1/31" "$clang" -DCMAKE_CXX_FLAGS=$reciprocal
refused "$by_check" "$clang" "-DCMAKE_CXX_FLAGS=-fassociative-math -fno-signed-zeros -fno-trapping-math"
launcher=$scratch/launcher
printf '#!/bin/sh\nexec "$@" $INEXACT\n' >"$launcher"
chmod +x "$launcher"
INEXACT="$reciprocal $fused" refused "$by_both" "$clang" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
INEXACT=$fused refused "$by_fusing" g++ -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DCMAKE_BUILD_TYPE=MinSizeRel
CCC_OVERRIDE_OPTIONS="#+$reciprocal +${fused// / +}" refused "$by_both" "$clang"

# A parent project's options for the analysis's own objects.
parent=$scratch/parent
mkdir -p "$parent"
cat >"$parent/CMakeLists.txt" <<EOT
cmake_minimum_required(VERSION 3.20)
project(parent LANGUAGES CXX)
set(BUILD_TESTING OFF)
add_subdirectory("$source_dir" check_RT)
target_compile_options(check_rt_objects PRIVATE \${OBJECTS_COMPILE_OPTIONS})
EOT
project=$parent refused "$by_macro" g++ -DOBJECTS_COMPILE_OPTIONS="$reciprocal"
project=$parent refused "$by_both" "$clang" -DOBJECTS_COMPILE_OPTIONS="$reciprocal;${fused// /;}"
exit $failed
