#!/usr/bin/env bash
# Runs a program (a Windows one through Wine) on a virtual display of its
# own, as the windows need one:
#   under-xvfb.sh COMMAND [ARGS...]
# Exit 77 (skipped) where there is no Xvfb.
set -euo pipefail
command -v xvfb-run >/dev/null || { echo "no xvfb-run: the windows cannot be opened"; exit 77; }
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
