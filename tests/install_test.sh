#!/bin/sh
# cmake --install puts the binary and the gzipped manual page, and nothing else,
# where GNUInstallDirs says, under --prefix and under DESTDIR.
# Usage: install_test.sh CMAKE BUILD_DIR BINDIR MANDIR
set -eu
cmake=$1 build=$2 bindir=$3 mandir=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$cmake" --install "$build" --prefix "$tmp/prefix" >/dev/null
DESTDIR="$tmp/stage" "$cmake" --install "$build" --prefix /opt/check_RT >/dev/null

status=0
for root in "$tmp/prefix" "$tmp/stage/opt/check_RT"; do
    printf '%s\n' "$root/$bindir/check_RT" "$root/$mandir/man1/check_RT.1.gz" | sort >"$tmp/expected"
    find "$tmp/prefix" "$tmp/stage" -type f -path "$root/*" | sort >"$tmp/installed"
    if ! diff "$tmp/expected" "$tmp/installed"; then
        echo "install under $root is not the binary and the page"; status=1
    elif [ ! -x "$root/$bindir/check_RT" ] ||
         ! gzip -dc "$root/$mandir/man1/check_RT.1.gz" | cmp - "$build/check_RT.1"; then
        echo "install under $root: binary not executable or page not the configured one"; status=1
    fi
done
exit $status
