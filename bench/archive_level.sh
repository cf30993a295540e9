#!/usr/bin/env bash
# Builds and runs the deflate-level measurement (see archive_level.cpp).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${TMPDIR:-/tmp}/qm-archive-level"
g++ -std=c++20 -O2 -Wall -Wextra -o "$bin" "$here/archive_level.cpp" $(pkg-config --cflags --libs libzip)
exec "$bin" "$@"
