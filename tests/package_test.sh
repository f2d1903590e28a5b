#!/usr/bin/env bash
# A site's build makes a Debian package and an RPM of the same stripped,
# hardened tool, gzipped page and copyright notice, and the changelog, and
# nothing else, with no benchmark or test built and no Debian tool run for the
# RPM. Their fields name the directory and date, their versions the date, and
# the tool works unpacked. Over another day's package, either shows that day's
# page. Nothing is installed on this machine.
# Needs cmake, g++, dpkg-dev, binutils, rpm, cpio and man-db.
# Usage: tests/package_test.sh SOURCE_DIR SCRATCH_DIR (a path without a blank,
# for rpmbuild); what it makes is left there, and removed by the next run.
set -euo pipefail
(($# == 2)) || { echo "usage: $0 SOURCE_DIR SCRATCH_DIR" >&2; exit 2; }
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
scratch=$(cd "$2" && pwd)
build=$scratch/build
# Characters that shell, CMake and rpm take for their own, so that the fields
# show the directory and the maintainer reaching the packages as they are.
data=$scratch/'data day "q" \x41 ; ${CMAKE_COMMAND} %{_bindir} $HOME/'
root=$scratch/root
rpm_root=$scratch/rpm-root
rm -rf "$build" "$data" "$root" "$rpm_root"
mkdir -p "$data" "$root" "$rpm_root"

# Not the defaults, so that the fields and the binary show this build's own.
date=20240229
maintainer='Package "Test" \x41; ${CMAKE_COMMAND} %{_bindir} <package-test@example.org>'
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Debian's tools, as cpack -G RPM would find them, note that they were run.
mkdir "$tmp/debian-tools"
for tool in dpkg dpkg-architecture dpkg-deb dpkg-query dpkg-shlibdeps; do
    printf '#!/bin/sh\necho "$0" >>"%s/debian-tools-run"\nexit 1\n' "$tmp" >"$tmp/debian-tools/$tool"
done
chmod +x "$tmp"/debian-tools/*

cmake -S "$source_dir" -B "$build" -DCHECK_RT_REQUIRE_TESTS=OFF -DBUILD_TESTING=OFF \
    -DCHECK_RT_DATA_DIR="$data" -DCHECK_RT_TARGET_DATE="$date" \
    -DCHECK_RT_MAINTAINER="$maintainer" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
cmake --build "$build" -j2 >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
(cd "$build" && cpack -G DEB) >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
(cd "$build" && PATH=$tmp/debian-tools:$PATH cpack -G RPM) >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }

project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
version=$project_version+$date
the_one() {
    (($# == 1)) && [[ -f $1 ]] || { echo "cpack made no single ${1##*.} in $build" >&2; exit 1; }
    echo "$1"
}
deb=$(the_one "$build"/*.deb)
rpm=$(the_one "$build"/*.rpm)

failed=0
fail() { echo "package_test: $*" >&2; failed=1; }

# Mode and path of every member: the four files and the directories above them.
dpkg-deb -c "$deb" | awk '{ print $1, $6 }' >"$tmp/contents"
cat >"$tmp/expected" <<'EOF'
drwxr-xr-x ./usr/
drwxr-xr-x ./usr/bin/
-rwxr-xr-x ./usr/bin/check_RT
drwxr-xr-x ./usr/share/
drwxr-xr-x ./usr/share/doc/
drwxr-xr-x ./usr/share/doc/check-rt/
-rw-r--r-- ./usr/share/doc/check-rt/changelog.gz
-rw-r--r-- ./usr/share/doc/check-rt/copyright
drwxr-xr-x ./usr/share/man/
drwxr-xr-x ./usr/share/man/man1/
-rw-r--r-- ./usr/share/man/man1/check_RT.1.gz
EOF
diff "$tmp/expected" "$tmp/contents" >&2 || fail "the package holds other files than the tool, its page, copyright and changelog"
for program in bench/make_day bench/io_floor tests/check_rt_tests tests/check_RT_e2e; do
    [[ ! -e $build/$program ]] || fail "the package's build built $program"
done

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == check-rt ]] || fail "Package is '$(field Package)'"
[[ -n $project_version && $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not '$version'"
# A later date is a later version of the same release.
dpkg --compare-versions "$(field Version)" lt "$project_version+$((date + 1))" ||
    fail "version $(field Version) is not older than the next day's"
[[ $(field Maintainer) == "$maintainer" ]] || fail "Maintainer is '$(field Maintainer)'"
[[ $(field Section) == science ]] || fail "Section is '$(field Section)'"
description=$(field Description)
[[ $description == *"$data"* ]] || fail "Description does not name the data directory $data"
[[ $description == *"$date"* ]] || fail "Description does not name the date $date"
depends=$(field Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] || fail "Depends is '$depends'"

dpkg-deb -x "$deb" "$root"
title=$(zcat "$root/usr/share/man/man1/check_RT.1.gz" | grep '^\.TH ' || true)
# Its date is that of the release the changelog names last.
released=$(sed -n 's/^## [0-9.]* (\([0-9-]*\) .*/\1/p' "$source_dir/CHANGELOG.md" | head -n 1)
[[ $title == ".TH CHECK_RT 1 $released \"check_RT $version\""* ]] || fail "the page's title line is '$title'"

doc=$root/usr/share/doc/check-rt
cmp -s "$source_dir/COPYRIGHT" "$doc/copyright" || fail "copyright is not the source's COPYRIGHT"
grep -q 'the check_RT authors' "$doc/copyright" || fail "copyright names no holder"
# gzip -9n: no name and no time in the header (flags byte 0, time 0), best compression.
[[ $(od -An -tx1 -j3 -N7 "$doc/changelog.gz" | tr -d ' \n') == 00000000000203 ]] ||
    fail "changelog.gz is not made with gzip -9n: $(od -An -tx1 -N10 "$doc/changelog.gz")"
# The newest entry is this build's version, then the release's own entries.
zcat "$doc/changelog.gz" | grep '^check-rt (' >"$tmp/entries"
releases=$(grep -c '^## ' "$source_dir/CHANGELOG.md")
[[ $(head -1 "$tmp/entries") == "check-rt ($version) unstable; urgency=medium" &&
   $(wc -l <"$tmp/entries") == "$releases" ]] ||
    fail "changelog.gz has the entries $(tr '\n' ' ' <"$tmp/entries")"

[[ ! -e $tmp/debian-tools-run ]] || fail "cpack -G RPM ran $(tr '\n' ' ' <"$tmp/debian-tools-run")"
# The RPM: its files other than the links rpmbuild makes under /usr/lib/.build-id.
rpm -qp --qf '[%{FILEMODES:perms} %{FILENAMES}\n]' "$rpm" | grep -v ' /usr/lib/\.build-id' >"$tmp/contents" || true
cat >"$tmp/expected" <<'EOF'
-rwxr-xr-x /usr/bin/check_RT
drwxr-xr-x /usr/share/doc/check-rt
-rw-r--r-- /usr/share/doc/check-rt/copyright
-rw-r--r-- /usr/share/man/man1/check_RT.1.gz
EOF
diff "$tmp/expected" "$tmp/contents" >&2 || fail "the RPM holds other files than the tool, its page and copyright"
[[ $(rpm -qpL "$rpm") == /usr/share/doc/check-rt/copyright ]] || fail "the RPM's licence file is '$(rpm -qpL "$rpm")'"
rpm2cpio "$rpm" | (cd "$rpm_root" && cpio -idm --quiet)
for file in usr/bin/check_RT usr/share/man/man1/check_RT.1.gz usr/share/doc/check-rt/copyright; do
    cmp -s "$root/$file" "$rpm_root/$file" || fail "the RPM's /$file is not the Debian package's"
done
rpm_field() { rpm -qp --qf "%{$1}" "$rpm"; }
[[ $(rpm_field NAME) == check-rt ]] || fail "the RPM's Name is '$(rpm_field NAME)'"
[[ $(rpm_field VERSION)-$(rpm_field RELEASE) == "$version-1" ]] ||
    fail "the RPM's version is '$(rpm_field VERSION)-$(rpm_field RELEASE)', not '$version-1'"
[[ $(rpm --eval "%{lua: print(rpm.vercmp('$(rpm_field VERSION)', '$project_version+$((date + 1))'))}") == -1 ]] ||
    fail "to rpm, version $(rpm_field VERSION) is not older than the next day's"
[[ $(rpm_field PACKAGER) == "$maintainer" && $(rpm_field VENDOR) == "$maintainer" ]] ||
    fail "the RPM's Packager is '$(rpm_field PACKAGER)' and its Vendor '$(rpm_field VENDOR)'"
[[ $(rpm_field LICENSE) == 'All rights reserved' ]] || fail "the RPM's License is '$(rpm_field LICENSE)'"
description=$(rpm_field DESCRIPTION)
[[ $description == *"$data"* && $description == *"$date"* ]] ||
    fail "the RPM's Description does not name the data directory $data and the date $date"
rpm -qp --changelog "$rpm" | grep '^\* ' >"$tmp/entries" || true
[[ $(head -1 "$tmp/entries") == "* "*" $maintainer - $version-1" && $(wc -l <"$tmp/entries") == "$releases" ]] ||
    fail "the RPM's changelog has the entries $(tr '\n' ' ' <"$tmp/entries")"

# Hardened as Debian's binaries are, and stripped of .comment and .note. In
# files, since grep -q would stop reading readelf's output, and pipefail fail.
exe=$root/usr/bin/check_RT
readelf -hW "$exe" >"$tmp/header"
readelf -lW "$exe" >"$tmp/segments"
readelf -dW "$exe" >"$tmp/dynamic"
readelf -SW "$exe" >"$tmp/sections"
readelf --dyn-syms -W "$exe" >"$tmp/symbols"
grep -q 'Type: *DYN' "$tmp/header" || fail "check_RT is no position-independent executable"
grep -q 'FLAGS_1.*PIE' "$tmp/dynamic" || fail "check_RT is not marked PIE"
grep -q GNU_RELRO "$tmp/segments" || fail "check_RT has no RELRO segment"
grep -Eq 'BIND_NOW|FLAGS_1.* NOW' "$tmp/dynamic" || fail "check_RT binds its symbols lazily"
grep -q ' __stack_chk_fail' "$tmp/symbols" || fail "check_RT has no stack protector"
grep -Eq ' __[a-z_]+_chk(@| |$)' "$tmp/symbols" || fail "check_RT calls no checked (fortified) function"
! grep -Eq ' \.comment | \.note ' "$tmp/sections" || fail "check_RT keeps a .comment or .note section"

# A day of one record, readings 0 to 31, in the directory the package was built for.
echo "ab${date}_x" >"${data}resultlist.txt"
{ printf 'header line %s\n' $(seq 33); echo TAG; seq -s ' ' 0 31; } >"${data}ab${date}_x.recheck"
status=0
"$root/usr/bin/check_RT" >"$tmp/out" 2>"$tmp/err" || status=$?
[[ $status == 0 ]] || fail "the packaged check_RT exits with $status"
printf 'x: 0 31 15.5 9.38083\n' | cmp -s - "$tmp/out" || fail "the packaged check_RT reports '$(cat "$tmp/out")'"
[[ ! -s $tmp/err ]] || fail "the packaged check_RT says '$(cat "$tmp/err")'"

# Another day's package unpacked over this one, as dpkg -i or rpm -U would: man,
# keeping formatted pages as man-db does in /var/cache/man (here in
# SCRATCH_DIR), shows the new day's page, not its copy of the first.
next_date=20240301
{ cmake "$build" -DCHECK_RT_TARGET_DATE="$next_date" && cmake --build "$build" -j2 &&
  (cd "$build" && cpack -G DEB && cpack -G RPM); } >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
man_root=$scratch/man-root
printf 'MANDB_MAP\t%s\t%s\n' "$man_root/usr/share/man" "$scratch/man-cache" >"$tmp/man.conf"
for first in "$deb" "$rpm"; do
    rm -rf "$man_root" "$scratch/man-cache"
    mkdir -p "$man_root" "$scratch/man-cache/cat1"
    for package in "$first" "${first//+$date/+$next_date}"; do
        [[ $package == *.rpm ]] || dpkg-deb -x "$package" "$man_root"
        [[ $package == *.deb ]] || rpm2cpio "$package" | (cd "$man_root" && cpio -idmu --quiet)
        shown=$(env -u MANWIDTH -u MANOPT LC_ALL=C man -C "$tmp/man.conf" -M "$man_root/usr/share/man" check_RT 2>&1 | tail -1)
    done
    [[ -e $scratch/man-cache/cat1/check_RT.1.gz ]] || fail "man kept no formatted copy of the page"
    [[ $shown == *"check_RT $project_version+$next_date "* ]] ||
        fail "over $(basename "$first"), the next day's package has man show '$shown'"
done

((failed == 0)) || exit 1
echo "package_test: $(basename "$deb") and $(basename "$rpm") are right"
