#!/usr/bin/env bash
# A site's build packs into a Debian package that holds the stripped tool and
# its gzipped page and nothing else, says in its fields what it is and which
# directory and date it was built for, and works when unpacked. Nothing is
# installed on this machine: the package is only looked into and unpacked.
# Needs cmake, g++, dpkg-dev (cpack works out Depends with dpkg-shlibdeps).
# Usage: tests/package_test.sh SOURCE_DIR SCRATCH_DIR
# The build, the data directory and the unpacked package are left in
# SCRATCH_DIR to look at; what an earlier run left there is removed first.
set -euo pipefail
if (($# != 2)); then
    echo "usage: $0 SOURCE_DIR SCRATCH_DIR" >&2
    exit 2
fi
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
scratch=$(cd "$2" && pwd)
build=$scratch/build
data=$scratch/data/
root=$scratch/root
rm -rf "$build" "$data" "$root"
mkdir -p "$data" "$root"

# Not the defaults, so that the fields and the binary show this build's own.
date=20240229
maintainer='Package Test <package-test@example.org>'
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cmake -S "$source_dir" -B "$build" -DCHECK_RT_REQUIRE_TESTS=OFF -DBUILD_TESTING=OFF \
    -DCHECK_RT_DATA_DIR="$data" -DCHECK_RT_TARGET_DATE="$date" \
    -DCHECK_RT_MAINTAINER="$maintainer" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
cmake --build "$build" -j2 >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
(cd "$build" && cpack -G DEB) >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
debs=("$build"/*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f ${debs[0]} ]]; then
    echo "cpack made no single .deb in $build" >&2
    exit 1
fi
deb=${debs[0]}

failed=0
fail() { echo "package_test: $*" >&2; failed=1; }

# Mode and path of every member: the two files and the directories above them.
dpkg-deb -c "$deb" | awk '{ print $1, $6 }' >"$tmp/contents"
cat >"$tmp/expected" <<'EOF'
drwxr-xr-x ./usr/
drwxr-xr-x ./usr/bin/
-rwxr-xr-x ./usr/bin/check_RT
drwxr-xr-x ./usr/share/
drwxr-xr-x ./usr/share/man/
drwxr-xr-x ./usr/share/man/man1/
-rw-r--r-- ./usr/share/man/man1/check_RT.1.gz
EOF
diff "$tmp/expected" "$tmp/contents" >&2 || fail "the package holds other files than the tool and its page"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == check-rt ]] || fail "Package is '$(field Package)'"
[[ -n $version && $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not '$version'"
[[ $(field Maintainer) == "$maintainer" ]] || fail "Maintainer is '$(field Maintainer)'"
[[ $(field Section) == science ]] || fail "Section is '$(field Section)'"
description=$(field Description)
[[ $description == *"$data"* ]] || fail "Description does not name the data directory $data"
[[ $description == *"$date"* ]] || fail "Description does not name the date $date"
depends=$(field Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] || fail "Depends is '$depends'"

dpkg-deb -x "$deb" "$root"
title=$(zcat "$root/usr/share/man/man1/check_RT.1.gz" | grep '^\.TH ' || true)
[[ $title == *"check_RT $version"* ]] || fail "the page's title line is '$title'"

# A day of one record, readings 0 to 31, in the directory the package was built for.
echo "ab${date}_x" >"${data}resultlist.txt"
{
    for i in $(seq 33); do echo "header line $i"; done
    echo TAG
    seq -s ' ' 0 31
} >"${data}ab${date}_x.recheck"
status=0
"$root/usr/bin/check_RT" >"$tmp/out" 2>"$tmp/err" || status=$?
[[ $status == 0 ]] || fail "the packaged check_RT exits with $status"
printf 'x: 0 31 15.5 9.38083\n' | cmp -s - "$tmp/out" || fail "the packaged check_RT reports '$(cat "$tmp/out")'"
[[ ! -s $tmp/err ]] || fail "the packaged check_RT says '$(cat "$tmp/err")'"

if ((failed)); then
    exit 1
fi
echo "package_test: $(basename "$deb") is right"
