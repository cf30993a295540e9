#!/usr/bin/env bash
# A backup made through the Windows build's main window restores through the
# Linux console, and the other way round, on one sample installation made
# through the Win32 services in a Wine prefix of the test's own:
#   window-across.sh DRIVE_MAIN_WINDOW_EXE MAKE_SAMPLE_EXE LINUX_BUILD
# (exit 77, skipped, without a Linux build or a virtual display)
set -euo pipefail
driver=$1 maker=$2 linux=$3
[ -x "$linux/quillmark" ] || { echo "no Linux build at $linux"; exit 77; }
command -v xvfb-run >/dev/null || { echo "no xvfb-run: the windows cannot be opened"; exit 77; }

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -s "$WINEPREFIX/user.reg" ] || fail "wineboot made no prefix"
mkdir -p "$WINEPREFIX/drive_d"
ln -s ../drive_d "$WINEPREFIX/dosdevices/d:"
user=$(wine "$maker" --outlook 14.0 --second-profile Work | tr -d '\r')
[ -n "$user" ] || fail "the sample was not made"
# The Linux build edits the registry files only while no Wine program runs.
wineserver -w
outlook="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Outlook"
winpath() { echo "Z:${1//\//\\}"; }
window() { xvfb-run -a -s "-screen 0 1280x1024x24" wine "$driver" "$@" >"$work/window.log" 2>&1; }
console() { "$linux/quillmark" --prefix "$WINEPREFIX" --user "$user" "$@"; }

# Windows' window -> Linux's console, protected.
window backup "$(winpath "$work/window.qmk")" s3cret || fail "the window's backup: $(cat "$work/window.log")"
wineserver -w
[ -s "$work/window.qmk" ] || fail "the window wrote no archive"
rm -f "$outlook/Work.RWZ"
console --restore "$work/window.qmk" --profile Work --items 10000000 --password s3cret --yes >"$work/linux.log" 2>&1 ||
  fail "the console's restore: $(cat "$work/linux.log")"
grep -q "Made through the window" "$work/linux.log" || fail "the description: $(cat "$work/linux.log")"
cmp "$outlook/Outlook.RWZ" "$outlook/Work.RWZ" || fail "the rules did not come into profile Work"
console --list "$work/window.qmk" --password s3cret >/dev/null || fail "the console cannot read the window's archive"

# Linux's console -> Windows' window.
console --backup "$work/linux.qmk" --profile Outlook --items 11110111 --password pass2 \
  --description 'Made on Linux' >"$work/linux.log" 2>&1 || fail "the console's backup: $(cat "$work/linux.log")"
signatures="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Signatures"
cp "$signatures/$user.txt" "$work/signature"
rm -f "$outlook/Work.RWZ" "$signatures/$user.txt"
window restore "$(winpath "$work/linux.qmk")" Work pass2 || fail "the window's restore: $(cat "$work/window.log")"
wineserver -w
grep -q "^description: Made on Linux" "$work/window.log" || fail "the description: $(cat "$work/window.log")"
cmp "$outlook/Outlook.RWZ" "$outlook/Work.RWZ" || fail "the rules did not come into profile Work"
cmp "$work/signature" "$signatures/$user.txt" || fail "the signature did not come back"
echo "across the front ends: the window's backup restored by the Linux console, the console's by the window"
