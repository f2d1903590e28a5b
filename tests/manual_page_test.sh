#!/bin/sh
# The configured manual page renders without a warning and names this build's files.
# Usage: manual_page_test.sh PAGE DATA_DIR DATE
set -eu
page=$1 data_dir=$2 date=$3

if ! command -v groff >/dev/null; then
    echo "groff not found (Debian package groff-base): the manual page is not checked"
    exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

status=0
groff -man -Tutf8 -ww -P-cbou "$page" >"$tmp/page" 2>"$tmp/warnings"
if [ -s "$tmp/warnings" ]; then
    echo "groff warns:"; cat "$tmp/warnings"; status=1
fi
if command -v mandoc >/dev/null && ! mandoc -Tlint -W warning "$page"; then status=1; fi
for line in "${data_dir}resultlist.txt" "${data_dir}entry.recheck" "dated $date."; do
    grep -qF -- "$line" "$tmp/page" || { echo "the page does not show: $line"; status=1; }
done
exit $status
