#!/usr/bin/env bash
# Benchmark, not a test: composes and writes a 1 GiB mail-store-shaped file
# to a file drive with the program's disc component (ISO 9660/Joliet with
# Rock Ridge and an MD5 of every file), and the same file with
# `xorriso -as mkisofs`; prints both times, their ratio, and the time the
# component's verification (reading the image back) took.
#   bench/disc_write.sh [SIZE_BYTES]     (BUILD_DIR, PSTDATA may be set)
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-1073741824}
build=${BUILD_DIR:-build}
pstdata=${PSTDATA:-/work/shared/tools/pstdata.py}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j1 --target disc_write_bench >/dev/null

python3 "$pstdata" "$size" "$work/Outlook.pst"
cat "$work/Outlook.pst" >/dev/null  # both runs start with the source in the page cache

now() { date +%s.%N; }

field() { sed -n "s/.*$1=\\([0-9.]*\\).*/\\1/p" <<<"$2"; }
# ISO9660/Joliet Bridge (libisofs, MD5 recorded) and ISO9660/Joliet/UDF
# Bridge (genisoimage), the window's default.
ours=$("$build/disc_write_bench" "$work/Outlook.pst" "$work/ours.iso" 3)
ours_write=$(field write_seconds "$ours")
ours_verify=$(field verify_seconds "$ours")
rm -f "$work/ours.iso"
udf=$("$build/disc_write_bench" "$work/Outlook.pst" "$work/ours.iso" 7)
udf_write=$(field write_seconds "$udf")
udf_verify=$(field verify_seconds "$udf")
rm -f "$work/ours.iso"

start=$(now)
xorriso -as mkisofs -quiet -r -J -V "Outlook Data Backup CD" -o "$work/xorriso.iso" "$work/Outlook.pst" 2>/dev/null
plain=$(awk -v a="$(now)" -v b="$start" 'BEGIN { print a - b }')
rm -f "$work/xorriso.iso"

start=$(now)
xorriso -as mkisofs -quiet -r -J --md5 -V "Outlook Data Backup CD" -o "$work/xorriso.iso" "$work/Outlook.pst" 2>/dev/null
md5=$(awk -v a="$(now)" -v b="$start" 'BEGIN { print a - b }')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf 'file size: %d bytes\n' "$size"
printf 'xorriso -as mkisofs -r -J:                  %6.2f s\n' "$plain"
printf 'xorriso -as mkisofs -r -J --md5:            %6.2f s\n' "$md5"
printf 'component, ISO9660/Joliet (MD5 recorded):   %6.2f s  ratio %s to plain, %s to --md5; verification %.2f s\n' \
  "$ours_write" "$(ratio "$ours_write" "$plain")" "$(ratio "$ours_write" "$md5")" "$ours_verify"
printf 'component, ISO9660/Joliet/UDF (genisoimage): %6.2f s  ratio %s to plain; verification %.2f s\n' \
  "$udf_write" "$(ratio "$udf_write" "$plain")" "$udf_verify"
