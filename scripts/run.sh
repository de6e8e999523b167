#!/usr/bin/env bash
# Installs, builds and starts the program on the embedded demo catalogue.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VORN_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
if [ -x "$build/bin/vorncatalogue" ] && [ ! -f "$build/bin/demo.sqlite" ]; then
  "$build/bin/vorncatalogue" --driver SQLITE --database "$build/bin/demo.sqlite" --demo
fi
exec "$build/bin/VornGen" "$@"
