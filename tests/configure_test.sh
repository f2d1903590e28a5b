#!/usr/bin/env bash
# Configuring refuses, saying why, a data directory or date that cannot be
# compiled in and a standard library that cannot build the tool; building
# refuses a directory that diagnostics would escape; a build that cannot run
# rounding_check warns; a site's CMake tree keeps its own settings.
# Usage: tests/configure_test.sh SOURCE_DIR SCRATCH_DIR CLANG_CXX
# CLANG_CXX needs libc++ (Debian: libc++-dev and libc++abi-dev of its version).
set -euo pipefail
(($# == 3)) || { echo "usage: $0 SOURCE_DIR SCRATCH_DIR CLANG_CXX" >&2; exit 2; }
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
scratch=$(cd "$2" && pwd)
clang=$3
build=$scratch/build
log=$scratch/log
failed=0
fail() { echo "configure_test: $*" >&2; failed=1; }
# said TEXT: whether the log says TEXT, in lines CMake wraps and this joins.
said() { tr -s ' \n' '  ' <"$log" | grep -qF -- "$1"; }

# configure EXPECTED_STATUS EXPECTED_TEXT CMAKE_ARGUMENT...
configure() {
    local status=$1 expected=$2 got=0
    shift 2
    rm -rf "$build"
    cmake -S "$source_dir" -B "$build" -DBUILD_TESTING=OFF "$@" >"$log" 2>&1 || got=$?
    if [[ $got != "$status" ]] || ! said "$expected"; then
        tail -n 20 "$log"; fail "cmake $* exited with $got, not $status, or did not say '$expected'"
    fi
}

configure 1 "CHECK_RT_DATA_DIR must end in a slash" -DCHECK_RT_DATA_DIR=/srv/qa
configure 1 "CHECK_RT_DATA_DIR must be an absolute path, beginning with '/': '~/qa/'" -DCHECK_RT_DATA_DIR='~/qa/'
configure 1 "CHECK_RT_DATA_DIR must be an absolute path, beginning with '/': 'qa/robot/'" -DCHECK_RT_DATA_DIR=qa/robot/
configure 1 "CHECK_RT_TARGET_DATE must be eight digits" -DCHECK_RT_TARGET_DATE=2018121
calendar="CHECK_RT_TARGET_DATE must be a calendar date, YYYYMMDD:"
configure 1 "$calendar '20241345' has no month 13" -DCHECK_RT_TARGET_DATE=20241345
configure 1 "$calendar '20240015' has no month 0" -DCHECK_RT_TARGET_DATE=20240015
configure 1 "$calendar '20240431' has no day 31, its month has 30 days" -DCHECK_RT_TARGET_DATE=20240431
configure 1 "$calendar '20240100' has no day 0" -DCHECK_RT_TARGET_DATE=20240100
configure 1 "$calendar '20230229' has no day 29, its month has 28 days" -DCHECK_RT_TARGET_DATE=20230229
configure 1 "$calendar '19000229' has no day 29" -DCHECK_RT_TARGET_DATE=19000229
configure 0 "Generating done" -DCHECK_RT_TARGET_DATE=20000229
configure 0 "-- check_RT reports 20240229 from /home/qav/robot/" -DCHECK_RT_TARGET_DATE=20240229
# The directory's characters are checked where check_RT is compiled: one
# that shows nothing is refused there; others, and bytes that are no UTF-8, build.
configure 0 "Generating done" -DCHECK_RT_DATA_DIR=$'/srv/\xef\xb8\x8fqa/'
if cmake --build "$build" -j2 --target check_RT >"$log" 2>&1 ||
    ! said "CHECK_RT_DATA_DIR cannot hold a byte that diagnostics escape"; then
    tail -n 20 "$log"; fail "check_RT built for a directory that holds U+FE0F, or did not say why not"
fi
configure 0 "Generating done" -DCHECK_RT_DATA_DIR=$'/srv/caf\xc3\xa9 \xc3\x9b \xe2\x82\xac \xf0\x9f\x98\x80 \xe9t\xe9/'
cmake --build "$build" -j2 --target check_RT >"$log" 2>&1 || { cat "$log"; fail "ordinary characters were refused"; }
configure 1 "has no std::from_chars for double" -DCMAKE_CXX_COMPILER="$clang" -DCMAKE_CXX_FLAGS=-stdlib=libc++

configure 0 "CMake Warning" -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64
said "the build cannot run rounding_check" || fail "the cross build's warning is not rounding_check's"
cmake --build "$build" -j2 --target check_RT >"$log" 2>&1 || { cat "$log"; fail "the cross build failed"; }
[[ -x $build/rounding_check ]] || fail "building check_RT for another machine does not build rounding_check"
# Programs that cannot start here, as -m32 makes them on a kernel without
# 32-bit support: the build says so rather than fail with the shell's words.
configure 0 "This machine cannot run the programs that this build makes" \
    -DCMAKE_EXE_LINKER_FLAGS=-Wl,--dynamic-linker=/nonexistent/ld.so
said "the build cannot run rounding_check" || fail "the warning is not rounding_check's"
cmake --build "$build" -j2 --target check_RT >"$log" 2>&1 || { cat "$log"; fail "a build that cannot run its programs failed"; }

# A site's tree with its own package and no build type: check_RT builds in
# it and takes neither over, nor adds tests.
parent=$scratch/parent
mkdir -p "$parent"
cat >"$parent/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(site LANGUAGES CXX)
enable_testing()
set(CPACK_PACKAGE_NAME site-tools)
include(CPack)
add_subdirectory("$source_dir" check_RT)
EOF
rm -rf "$build"
if cmake -S "$parent" -B "$build" >"$log" 2>&1 && cmake --build "$build" -j2 --target check_RT >>"$log" 2>&1; then
    grep -qx 'CMAKE_BUILD_TYPE:STRING=' "$build/CMakeCache.txt" || fail "check_RT set the parent's build type"
    ! grep -q check-rt "$build/CPackConfig.cmake" || fail "check_RT took over the parent's package"
    [[ $(ctest --test-dir "$build" -N | grep -c 'Test *#') == 0 ]] || fail "check_RT added tests to the parent's"
else
    cat "$log"; fail "check_RT does not build as a subproject"
fi

exit $failed
