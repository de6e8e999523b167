#!/usr/bin/env bash
# Installs, builds and starts the program on the embedded demo catalogue.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VORN_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
# The embedded demo catalogue, created once and never overwritten, and a profile for it.
if [ -x "$build/bin/vorncatalogue" ] && [ ! -f "$build/bin/demo.sqlite" ]; then
  "$build/bin/vorncatalogue" --driver SQLITE --database "$build/bin/demo.sqlite" --demo
fi
if [ ! -f "$build/bin/VornConn.ini" ]; then
  printf '[Connections]\r\nДемо=Демо\r\nDefConnection=Демо\r\nEditConnections=True\r\n\r\n[Демо]\r\nDriver=SQLITE\r\nDATABASE NAME=%s\r\nAPPLICATION NAME=VORNGEN\r\nHOST NAME=\r\n' \
    "$build/bin/demo.sqlite" >"$build/bin/VornConn.ini"
fi
exec "$build/bin/VornGen" "$@"
