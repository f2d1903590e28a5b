#!/usr/bin/env bash
# A build whose flags let the compiler round otherwise than IEEE doubles do is
# refused with g++ and with clang++: by configure when the flag stands where
# CMake shows it (its flag variables, a response file named there, a parent
# project's add_compile_options), and by the build when it comes some other
# way (a compiler launcher, a parent project's options for the analysis's
# objects, CCC_OVERRIDE_OPTIONS), through the compiler's own macros or through
# rounding_check.
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

# says TEXTS LOG: LOG, its lines joined as CMake wraps them, holds each line
# of TEXTS.
says() {
    local text
    while IFS= read -r text; do
        tr -s ' \n' '  ' <"$2" | grep -qF -- "$text" || return 1
    done <<<"$1"
}

# refused EXPECTED_TEXTS COMPILER CMAKE_ARGUMENT...: configuring, or else
# building check_RT, fails and says each line of EXPECTED_TEXTS. The project
# is the source directory, or $project where that is set.
refused() {
    local expected=$1 cxx=$2
    shift 2
    local build=$scratch/build log=$scratch/log
    local row="${project:+parent project }${INEXACT:+INEXACT='$INEXACT' }${CCC_OVERRIDE_OPTIONS:+CCC_OVERRIDE_OPTIONS='$CCC_OVERRIDE_OPTIONS' }$cxx $*"
    rm -rf "$build"
    if cmake -S "${project:-$source_dir}" -B "$build" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER="$cxx" "$@" >"$log" 2>&1 &&
        cmake --build "$build" -j2 --target check_RT >>"$log" 2>&1; then
        echo "inexact_flags_test: $row gave a check_RT" >&2
        failed=1
    elif ! says "$expected" "$log"; then
        tail -n 20 "$log"
        echo "inexact_flags_test: $row failed without saying '$expected'" >&2
        failed=1
    else
        echo "refused: $row"
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
refused "CMAKE_CXX_FLAGS holds --fast-math (-ffast-math), $configured" g++ -DCMAKE_CXX_FLAGS=--fast-math
refused "CMAKE_CXX_FLAGS_RELEASE holds --optimize=fast (-Ofast), $configured" g++ \
    -DCMAKE_CXX_FLAGS_RELEASE=--optimize=fast
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

# Two flags that clang++ shows in no macro, by every way: it then divides by
# 31 as a multiplication by 1/31, and fuses squares into the sum. g++ has a
# macro for the first; it fuses only where it does not vectorise the sum of
# squares, as at -Os. In CMAKE_CXX_FLAGS or a parent's add_compile_options()
# the contraction comes before the project's -ffp-contract=off, which undoes it.
reciprocal=-freciprocal-math
fused="-mfma -ffp-contract=fast"
by_macro="fast-math style flags let the compiler round otherwise"
by_fusing="wrong, as when each squared deviation is fused into the sum"
by_both="wrong, as when the division by 31 becomes a multiplication by 1/31"$'\n'"$by_fusing"
INEXACT="$reciprocal $fused" refused "$by_both" "$clang" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
INEXACT=$fused refused "$by_fusing" g++ -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DCMAKE_BUILD_TYPE=MinSizeRel
CCC_OVERRIDE_OPTIONS="#+$reciprocal +${fused// / +}" refused "$by_both" "$clang"

rsp=$scratch/flags.rsp
echo "$reciprocal" >"$rsp"
parent=$scratch/parent
mkdir -p "$parent"
cat >"$parent/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(parent LANGUAGES CXX)
set(BUILD_TESTING OFF)
add_compile_options(\${ADD_COMPILE_OPTIONS})
add_subdirectory("$source_dir" check_RT)
target_compile_options(check_rt_objects PRIVATE \${OBJECTS_COMPILE_OPTIONS})
target_link_options(check_RT PRIVATE \${CHECK_RT_LINK_OPTIONS})
EOF
for cxx in g++ "$clang"; do
    refused "the response file $rsp (in CMAKE_CXX_FLAGS) holds $reciprocal, $configured" "$cxx" \
        -DCMAKE_CXX_FLAGS=@"$rsp"
    project=$parent refused "add_compile_options() in this or a parent project holds $reciprocal, $configured" \
        "$cxx" -DADD_COMPILE_OPTIONS="$reciprocal"
done
project=$parent refused "$by_macro" g++ -DOBJECTS_COMPILE_OPTIONS="$reciprocal"

# -ffast-math when linking check_RT alone, where neither configure nor
# rounding_check sees it, links start-up code that flushes numbers below
# 2^-1022 to zero: check_RT sets that back before its first reading. Where
# it cannot (here a preloaded fesetenv that sets nothing), it refuses to run.
day=$scratch/day/
mkdir -p "$day"
echo ab20181219_sub >"$day/resultlist.txt"
{
    printf 'header\n%.0s' {1..33}
    echo TAG 1e-310
    printf '320\n%.0s' {1..31}
} >"$day/ab20181219_sub.recheck"
no_fesetenv=$scratch/no-fesetenv.so
echo 'extern "C" int fesetenv(const void*) { return 0; }' | g++ -shared -fPIC -x c++ - -o "$no_fesetenv"
for cxx in g++ "$clang"; do
    build=$scratch/build
    rm -rf "$build"
    if ! cmake -S "$parent" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$cxx" \
        -DCHECK_RT_DATA_DIR="$day" -DCHECK_RT_LINK_OPTIONS=-ffast-math >"$scratch/log" 2>&1 ||
        ! cmake --build "$build" -j2 --target check_RT >>"$scratch/log" 2>&1; then
        tail -n 20 "$scratch/log"
        echo "inexact_flags_test: $cxx, check_RT linked with -ffast-math, does not build" >&2
        failed=1
        continue
    fi
    for run in "|0 sub: 1e-310 320 310 56.5685" \
        "$no_fesetenv|1 check_RT: the processor flushes numbers below 2^-1022 to zero"; do
        preload=${run%%|*} expected=${run#*|} status=0
        report=$(LD_PRELOAD=$preload "$build/check_RT/check_RT" 2>&1) || status=$?
        if [[ "$status $report" != "$expected"* ]]; then
            echo "inexact_flags_test: $cxx, check_RT linked with -ffast-math${preload:+ and $preload}," \
                "exits with $status and says '$report'" >&2
            failed=1
        elif [[ -n $preload ]]; then
            echo "refused: LD_PRELOAD=$preload $cxx, check_RT linked with -ffast-math"
        else
            echo "exact: $cxx, check_RT linked with -ffast-math"
        fi
    done
done
project=$parent refused "$by_both" "$clang" -DOBJECTS_COMPILE_OPTIONS="$reciprocal;${fused// /;}"
exit $failed
