#!/usr/bin/env bash
# Runs check_RT on enormous and hostile inputs and checks that its peak
# resident memory stays under a bound however large the files are, and that
# its report, diagnostics and exit status are still right.
# The inputs are made in a temporary directory, one at a time, and removed.
# Needs GNU time (/usr/bin/time, Debian package time).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
limit_kib=$((32 * 1024))
gib=$((1 << 30))

# The files reach several GiB: not in /tmp, which may be held in memory.
tmp=$(mktemp -d "${TMPDIR:-/var/tmp}/check_RT-memory.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
day=$tmp/day/
mkdir -p "$day"

# The data directory is compiled in, so build a check_RT for this one.
cmake -S "$root" -B "$tmp/build" -DCHECK_RT_DATA_DIR="$day" -DBUILD_TESTING=OFF \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$tmp/build" -j2 --target check_RT >/dev/null
exe=$tmp/build/check_RT

header() { for i in $(seq 33); do echo "header line $i"; done; }
readings() { seq -s ' ' "$1" $(($1 + 31)); }
# n bytes of the letter c, streamed rather than held anywhere.
letters() { head -c "$1" /dev/zero | tr '\0' "$2"; }
# The line repeated: yes stops on SIGPIPE (status 141) when head has enough.
repeated() { yes "$1" | head "$2" "$3" || [[ $? == 141 ]]; }

{ header; echo TAG; readings 0; } >"${day}ab20181219_x.recheck"
good_line='x: 0 31 15.5 9.38083'
big_line='big: 300 331 315.5 9.38083'

failed=0
# check NAME EXPECTED_STATUS EXPECTED_STDOUT EXPECTED_STDERR
# With address_kib set, the run gets no more address space than that.
check() {
  local status=0
  ( [[ -z ${address_kib:-} ]] || ulimit -v "$address_kib"
    exec /usr/bin/time -f %M -o "$tmp/peak" "$exe" >"$tmp/out" 2>"$tmp/err" ) || status=$?
  local peak
  peak=$(tail -n 1 "$tmp/peak")
  local verdict=ok
  if ((peak >= limit_kib)); then verdict="FAILED: over $limit_kib KiB"; fi
  if [[ $status != "$2" ]]; then verdict="FAILED: exit status $status, not $2"; fi
  if [[ $(cat "$tmp/out") != "$3" ]]; then verdict="FAILED: report '$(head -c 300 "$tmp/out")'"; fi
  if [[ $(cat "$tmp/err") != "$4" ]]; then verdict="FAILED: diagnostics '$(head -c 300 "$tmp/err")'"; fi
  printf '%-44s peak %6d KiB  %s\n' "$1" "$peak" "$verdict"
  [[ $verdict == ok ]] || failed=1
}

echo 'ab20181219_x' >"${day}resultlist.txt"
check "baseline: one small record" 0 "$good_line" ""

echo 'ab20181219_big ab20181219_x' >"${day}resultlist.txt"
{ letters $gib h; echo; header | tail -n 32; echo TAG; readings 300; } >"${day}ab20181219_big.recheck"
check "record: 1 GiB first header line" 0 "$big_line
$good_line" ""

{ header; echo TAG; readings 300; repeated '325.5 junk after the readings' -c $gib; } \
  >"${day}ab20181219_big.recheck"
check "record: 1 GiB after the 32nd reading" 0 "$big_line
$good_line" ""

{ header; echo TAG; letters $gib 7; } >"${day}ab20181219_big.recheck"
check "record: a 1 GiB reading" 1 "$good_line" \
  "check_RT: ${day}ab20181219_big.recheck: reading 1 is too long: '7777777777777777777777777777777777777777...'"
rm "${day}ab20181219_big.recheck"

{ repeated ab20181218_lineA-001 -n 10000000; echo ab20181219_x; } >"${day}resultlist.txt"
check "list: 10 million entries of another date" 0 "$good_line" ""

{ printf ab20181219_; letters $gib z; echo ' ab20181219_x'; } >"${day}resultlist.txt"
check "list: one 1 GiB entry of the day" 1 "$good_line" \
  "check_RT: ${day}ab20181219_$(letters 53 z)...: File name too long"

# The report is held until the scan ends: about 100 bytes a reported record.
repeated ab20181219_x -n 2000000 >"${day}resultlist.txt"
address_kib=$((120 * 1024)) limit_kib=$((120 * 1024)) \
  check "list: 2 million reported records, 120 MiB" 1 "" "check_RT: memory exhausted"

exit $failed
