#!/usr/bin/env bash
# The Windows console program under Wine, on a sample Outlook installation
# made through the Win32 services in a Wine prefix of the test's own:
#   console-under-wine.sh unattended QUILLMARK_EXE MAKE_SAMPLE_EXE
#     the console forms print through pipes and files (the program is a
#     windows program); the scheduled job's argument text backs up the
#     sample (exit 0), with and without a password; a profile that is not there writes nothing
#     and exits non-zero
#   console-under-wine.sh across QUILLMARK_EXE MAKE_SAMPLE_EXE LINUX_BUILD
#     the Windows build and the Linux build back up the same installation:
#     the registry exports and the information files are the same bytes
#     apart from the time and the temporary names, the other entries are the
#     same bytes, and each build lists the other's archive as its own, with
#     and without a password
#     (exit 77, skipped, without a Linux build)
#   console-under-wine.sh modern QUILLMARK_EXE MAKE_SAMPLE_EXE
#     Outlook for Microsoft 365 (16.0) made through the Win32 registry: the
#     console names it and its profiles, backs up every item it has without
#     the offline cache, restores into its other profile, and Wine's reg.exe
#     reads the data file's new path where the console wrote it
set -euo pipefail
mode=$1 exe=$2 maker=$3 linux=${4:-}
if [ "$mode" = across ] && [ ! -x "$linux/quillmark" ]; then
  echo "no Linux build at $linux: nothing to compare with"
  exit 77
fi

work=$(mktemp -d)
# Windows-1252 as the ANSI code page of Wine, as the Linux build has it.
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
# The sample keeps a data file on drive D:.
mkdir -p "$WINEPREFIX/drive_d"
ln -s ../drive_d "$WINEPREFIX/dosdevices/d:"
if [ "$mode" = modern ]; then
  user=$(wine "$exe" --help >/dev/null && wine "$maker" --outlook 16.0 --second-profile Home | tr -d '\r')
else
  user=$(wine "$exe" --help >/dev/null && wine "$maker" --outlook 14.0 | tr -d '\r')
fi
[ -n "$user" ] || fail "the sample was not made"
mkdir "$work/out"
win() { wine "$exe" "$@"; }
# Z: is the host's root in a Wine prefix.
winpath() { echo "Z:${1//\//\\}"; }

case $mode in
unattended)
  # A windows program whose console forms still write to the pipes and
  # files they are given: the usage through a pipe, a refusal on stderr.
  win --help | tr -d '\r' | grep -- '--backup' >/dev/null || fail "--help printed nothing through a pipe"
  status=0
  win --items 2>"$work/log" >"$work/stdout" || status=$?
  [ "$status" -eq 2 ] && [ -s "$work/log" ] || fail "a wrong command line: $status $(cat "$work/log")"
  status=0
  win --prefix /tmp "sf=Outlookxm=11111111ps=bf=C:\\b.qmk" 2>"$work/log" || status=$?
  [ "$status" -eq 2 ] && grep -q 'this Windows build works on the Windows it runs in' "$work/log" ||
    fail "--prefix was not refused: $status $(cat "$work/log")"

  # Every item this Outlook (2010, no address book) has: a selected item
  # it lacks would make the exit status 3.
  win "sf=Outlookxm=11110111ps=bf=$(winpath "$work/out/plain.qmk")" 2>"$work/log" ||
    fail "the unattended backup exited $?: $(cat "$work/log")"
  [ -s "$work/out/plain.qmk" ] || fail "no archive written"
  grep -q 'BackupItem=1111110111' "$work/log" || fail "unexpected parts: $(cat "$work/log")"
  win --list "$(winpath "$work/out/plain.qmk")" >"$work/list" || fail "its listing failed"
  for entry in quillmark.dat Outlook.RWZ "$user@example.org.pst" Archive.pst; do
    grep -q "^  $entry" "$work/list" || fail "$entry is not in the archive: $(cat "$work/list")"
  done

  # With a password every entry is AES-256 (Windows' own crypto).
  win "sf=Outlookxm=10000000ps=s3cretbf=$(winpath "$work/out/locked.qmk")" 2>"$work/log" ||
    fail "the protected backup exited $?: $(cat "$work/log")"
  if win --list "$(winpath "$work/out/locked.qmk")" >/dev/null 2>&1; then fail "listed without its password"; fi
  win --list "$(winpath "$work/out/locked.qmk")" --password s3cret >/dev/null || fail "not listed with its password"
  if command -v 7z >/dev/null; then
    7z l -slt "$work/out/locked.qmk" | grep 'Method = AES-256' >/dev/null || fail "7-Zip sees no AES-256 entries"
    7z t -ps3cret "$work/out/locked.qmk" >/dev/null || fail "7-Zip cannot test the protected archive"
  fi

  # A profile that is not there: nothing is written, whatever is selected,
  # and the job fails with the reason.
  for items in 10000000 11111111; do
    status=0
    win "sf=Nobodyxm=${items}ps=bf=$(winpath "$work/out/none.qmk")" 2>"$work/log" || status=$?
    [ "$status" -eq 1 ] || fail "a backup of a missing profile exited $status"
    [ ! -e "$work/out/none.qmk" ] || fail "a backup of a missing profile wrote an archive"
    grep -q 'no backup written: the profile Nobody is not one of' "$work/log" || fail "no reason given: $(cat "$work/log")"
  done
  echo "console under Wine: 6 runs checked"
  ;;
across)
  win "sf=Outlookxm=11110111ps=bf=$(winpath "$work/out/win.qmk")" 2>"$work/log" ||
    fail "Windows backup exited $?: $(cat "$work/log")"
  # The Linux build reads the registry files Wine has written on ending.
  wineserver -w
  "$linux/quillmark" --prefix "$WINEPREFIX" --user "$user" \
    "sf=Outlookxm=11110111ps=bf=$work/out/linux.qmk" 2>/dev/null || fail "Linux backup failed"
  mkdir "$work/w" "$work/l"
  (cd "$work/w" && unzip -q ../out/win.qmk) && (cd "$work/l" && unzip -q ../out/linux.qmk)
  info() { grep -v -E '^(BackupTime|BackupConfig|BackupAccounts|BackupConfigsetting)=' "$1"; }
  cmp <(info "$work/w/quillmark.dat") <(info "$work/l/quillmark.dat") ||
    fail "the information files differ: $(diff "$work/w/quillmark.dat" "$work/l/quillmark.dat")"
  value() { sed -n "s/^$2=//p" "$1" | tr -d '\r'; }
  compared=1
  for key in BackupConfig BackupAccounts BackupConfigsetting; do
    a=$(value "$work/w/quillmark.dat" $key) b=$(value "$work/l/quillmark.dat" $key)
    [ -n "$a" ] && [ -n "$b" ] || fail "$key is missing"
    cmp "$work/w/$a" "$work/l/$b" || fail "the registry exports of $key differ"
    compared=$((compared + 1))
  done
  # Every other entry by name, those in folders (a signature's pictures) too.
  for f in "$work/w"/* "$work/w"/*/*; do
    [ -f "$f" ] || continue
    name=${f#"$work/w/"}
    case $name in quillmark.dat | QM[A-Z][0-9A-Fa-f]*.[Tt][Mm][Pp]) continue ;; esac
    cmp "$f" "$work/l/$name" || fail "$name differs"
    compared=$((compared + 1))
  done
  [ "$(ls "$work/w" | wc -l)" = "$(ls "$work/l" | wc -l)" ] || fail "the archives hold different entries"

  # Each build opens the other's archive as it opens its own.
  listing() { tr -d '\r' | grep -v -E '^(Backup file:|  BackupTime=|  Backup(Config|Accounts|Configsetting)=|  QM)'; }
  win --list "$(winpath "$work/out/linux.qmk")" | listing >"$work/w-lists-l" || fail "Windows cannot list the Linux archive"
  win --list "$(winpath "$work/out/win.qmk")" | listing >"$work/w-lists-w"
  wineserver -w
  "$linux/quillmark" --prefix "$WINEPREFIX" --list "$work/out/win.qmk" | listing >"$work/l-lists-w" ||
    fail "Linux cannot list the Windows archive"
  "$linux/quillmark" --prefix "$WINEPREFIX" --list "$work/out/linux.qmk" | listing >"$work/l-lists-l"
  cmp "$work/w-lists-l" "$work/l-lists-l" || fail "the Linux archive lists differently: $(diff "$work/w-lists-l" "$work/l-lists-l")"
  cmp "$work/w-lists-w" "$work/l-lists-w" || fail "the Windows archive lists differently: $(diff "$work/w-lists-w" "$work/l-lists-w")"

  # AES-256 made with Windows' BCrypt opens with the Linux build's crypto, and
  # the other way round.
  win "sf=Outlookxm=10100000ps=s3cretbf=$(winpath "$work/out/win-locked.qmk")" 2>/dev/null ||
    fail "Windows protected backup failed"
  wineserver -w
  "$linux/quillmark" --prefix "$WINEPREFIX" --user "$user" \
    "sf=Outlookxm=10100000ps=s3cretbf=$work/out/linux-locked.qmk" 2>/dev/null || fail "Linux protected backup failed"
  "$linux/quillmark" --prefix "$WINEPREFIX" --list "$work/out/win-locked.qmk" --password s3cret >/dev/null ||
    fail "Linux cannot open the Windows protected archive"
  if "$linux/quillmark" --prefix "$WINEPREFIX" --list "$work/out/win-locked.qmk" --password other >/dev/null 2>&1; then
    fail "Linux opened the Windows protected archive with a wrong password"
  fi
  win --list "$(winpath "$work/out/linux-locked.qmk")" --password s3cret >/dev/null ||
    fail "Windows cannot open the Linux protected archive"
  if win --list "$(winpath "$work/out/linux-locked.qmk")" --password other >/dev/null 2>&1; then
    fail "Windows opened the Linux protected archive with a wrong password"
  fi
  echo "archives across builds: $compared entries the same, each listed by the other build, protected ones too"
  ;;
modern)
  win --profiles >"$work/profiles" 2>"$work/log" || fail "--profiles exited $?: $(cat "$work/log")"
  printf 'Outlook for Microsoft 365 (16.0)\nProfiles (HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles):\n  Outlook\n  Home\n' >"$work/expected"
  cmp <(tr -d '\r' <"$work/profiles") "$work/expected" || fail "--profiles said: $(cat "$work/profiles")"

  win --backup "$(winpath "$work/out/b16.qmk")" --profile Outlook --items 11110111 >"$work/report" 2>"$work/log" ||
    fail "the backup exited $?: $(cat "$work/log")"
  grep -q "^$user@imap.example.org.ost: a server mailbox's cache, Outlook rebuilds it" <(tr -d '\r' <"$work/report") ||
    fail "the cache is not named: $(cat "$work/report")"
  win --list "$(winpath "$work/out/b16.qmk")" >"$work/list" || fail "its listing failed"
  if grep -q '\.ost' "$work/list"; then fail "an offline cache was stored: $(cat "$work/list")"; fi
  for entry in "$user@example.org.pst" "${user}_files/image001.png" Mine.htm Ivy.gif "BackupItem=1101110111"; do
    grep -q "^  $entry" <(tr -d '\r' <"$work/list") || fail "$entry is not in the archive: $(cat "$work/list")"
  done

  win --restore "$(winpath "$work/out/b16.qmk")" --profile Home --yes >"$work/summary" 2>"$work/log" ||
    fail "the restore exited $?: $(cat "$work/log")"
  # The path the restored profile names, as Wine's reg.exe reads the value
  # (UTF-16 bytes in hex) the Win32 registry took.
  moved="C:\\users\\$user\\Local Settings\\Application Data\\Microsoft\\Outlook\\$user@example.org.pst"
  hexOf() { printf '%s\0' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }
  wine reg query 'HKCU\Software\Microsoft\Office\16.0\Outlook\Profiles\Home' /s >"$work/query" 2>/dev/null ||
    fail "reg.exe cannot read the restored profile"
  grep -Eq "001f6700[[:space:]]+REG_BINARY[[:space:]]+$(hexOf "$moved")" <(tr -d '\r' <"$work/query") ||
    fail "no 001f6700 names $moved: $(grep -A0 001f6700 "$work/query")"
  cmp "$WINEPREFIX/drive_c/users/$user/Local Settings/Application Data/Microsoft/Outlook/$user@example.org.pst" \
    "$WINEPREFIX/drive_c/users/$user/Documents/Outlook Files/$user@example.org.pst" ||
    fail "the restored data file differs"
  echo "Outlook 2016 under Wine: named, backed up without its cache, restored, read back by reg.exe"
  ;;
*)
  echo "usage: $0 unattended|across|modern QUILLMARK_EXE MAKE_SAMPLE_EXE [LINUX_BUILD]" >&2
  exit 2
  ;;
esac
