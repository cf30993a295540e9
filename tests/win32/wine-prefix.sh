#!/usr/bin/env bash
# The throw-away Wine prefix of the Windows tests:
#   wine-prefix.sh setup DIR    makes a new prefix in DIR
#   wine-prefix.sh cleanup DIR  ends what still runs there and removes DIR
# No server is kept running between the suites: Wine's system processes
# would hold CTest's output open and CTest would wait for them.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
case $action in
  setup)
    [ -d "$WINEPREFIX" ] && { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
    mkdir -p "$(dirname "$WINEPREFIX")"
    # No desktop integration and no Mono/Gecko prompts in a test prefix. A
    # 64-bit-only Wine complains about its missing 32-bit half and still
    # makes the prefix: its registry files tell.
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wineboot -i || true
    wineserver -w
    [ -s "$WINEPREFIX/system.reg" ] && [ -s "$WINEPREFIX/user.reg" ] || {
      echo "wineboot made no prefix in $WINEPREFIX" >&2
      exit 1
    }
    # A drive D: (samples keep a data file there).
    mkdir -p "$WINEPREFIX/drive_d"
    ln -sfn ../drive_d "$WINEPREFIX/dosdevices/d:"
    echo "Wine test prefix ready: $WINEPREFIX ($(wine --version))"
    ;;
  cleanup)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
  *)
    echo "usage: $0 setup|cleanup DIR" >&2
    exit 2
    ;;
esac
