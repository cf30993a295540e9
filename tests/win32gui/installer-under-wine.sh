#!/usr/bin/env bash
# The installer under Wine, in a throw-away prefix of the test's own:
#   installer-under-wine.sh SETUP_EXE
# "/S" installs silently for everyone (Wine's user is an administrator):
# the program and its help under Program Files, a Start-menu entry, an
# uninstaller listed under Add/Remove Programs. The installed program
# answers --help through a pipe and, started without arguments on a virtual
# display, says that there is no Outlook and opens its main window, which
# Ctrl+Q closes. "/S /CurrentUser"
# installs for the user alone under %LOCALAPPDATA%\Programs. Each
# uninstaller, with /S, takes its installation away again.
set -euo pipefail
setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
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
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmark'
value() { wine reg query "$1\\$key" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }

# For everyone.
wine "$setup" /S || fail "the silent installation exited $?"
program="$WINEPREFIX/drive_c/Program Files/Quillmark"
for f in quillmark.exe uninstall.exe help/index.html help/images/main-backup.png; do
  [ -s "$program/$f" ] || fail "$f was not installed under Program Files: $(ls -R "$WINEPREFIX/drive_c/Program Files")"
done
[ -s "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillmark.lnk" ] ||
  fail "no Start-menu entry"
# The Startup folder's name differs in letter case between Windows and Wine.
startup() { find "$1" -ipath "*/Start Menu/Programs/Startup/Quillmark catch-up.lnk" -size +0 2>/dev/null; }
[ -n "$(startup "$WINEPREFIX/drive_c/ProgramData")" ] || fail "no catch-up at logon in everyone's Startup folder"
[ "$(value HKLM DisplayName)" = Quillmark ] || fail "not listed under Add/Remove Programs"
[ "$(value HKLM UninstallString)" = '"C:\Program Files\Quillmark\uninstall.exe" /AllUsers' ] ||
  fail "uninstaller: $(value HKLM UninstallString)"
[ "$(value HKLM InstallLocation)" = 'C:\Program Files\Quillmark' ] || fail "location: $(value HKLM InstallLocation)"
installed='C:\Program Files\Quillmark\quillmark.exe'
wine "$installed" --help | tr -d '\r' | grep -- '--backup FILE' >/dev/null || fail "the installed program does not answer --help"

# Its windows, from a start without arguments.
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  # Wine's desktop of the runs above has no display: a new one for this.
  wineserver -w
  cat >"$work/windows.sh" <<'WINDOWS'
set -u
wine "$1" &
program=$!
# This Windows has no Outlook: the window's load says so first.
box=$(timeout 60 xdotool search --sync --onlyvisible --name '^Quillmark$' | head -1)
[ -n "$box" ] || { echo "no message that Outlook is missing"; kill $program; exit 1; }
xdotool windowfocus --sync "$box"
xdotool key Return
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Quillmark V[0-9.]+$' | head -1)
[ -n "$window" ] || { echo "no main window"; kill $program; exit 1; }
xdotool windowfocus --sync "$window"
xdotool key ctrl+q
timeout 60 tail --pid=$program -f /dev/null || { echo "Ctrl+Q did not end the program"; kill $program; exit 1; }
wait $program
WINDOWS
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/windows.sh" "$installed" || fail "the main window: $?"
else
  echo "(no xvfb-run or xdotool: the main window is not opened)"
fi

# For the user alone, beside it.
wine "$setup" /S /CurrentUser || fail "the per-user installation exited $?"
user=$(wine cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')
mine="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Quillmark"
[ -s "$mine/quillmark.exe" ] || fail "no per-user installation in $mine"
[ "$(value HKCU DisplayName)" = Quillmark ] || fail "the per-user installation is not listed"
[ -s "$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quillmark.lnk" ] ||
  fail "no Start-menu entry of the user's"
[ -n "$(startup "$WINEPREFIX/drive_c/users/$user")" ] || fail "no catch-up at logon in the user's Startup folder"

# Both uninstallers, silently. Each goes on from a copy of itself, so that
# it can remove its own file: wait until it is done.
wine 'C:\Program Files\Quillmark\uninstall.exe' /S /AllUsers
wine "$(value HKCU QuietUninstallString | sed 's/^"\([^"]*\)".*/\1/')" /S /CurrentUser
for _ in $(seq 120); do
  [ -e "$program" ] || [ -e "$mine" ] || break
  sleep 0.5
done
[ ! -e "$program" ] || fail "left behind: $(ls -R "$program")"
[ ! -e "$mine" ] || fail "left behind: $(ls -R "$mine")"
[ -z "$(value HKLM DisplayName)$(value HKCU DisplayName)" ] || fail "still listed under Add/Remove Programs"
[ ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillmark.lnk" ] ||
  fail "the Start-menu entry stayed"
[ -z "$(startup "$WINEPREFIX/drive_c/ProgramData")$(startup "$WINEPREFIX/drive_c/users/$user")" ] ||
  fail "a catch-up entry of a Startup folder stayed"
echo "installer under Wine: installed for everyone and for the user, started, uninstalled"
