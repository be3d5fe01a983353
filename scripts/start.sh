#!/usr/bin/env bash
# Sets up, builds and starts Tsivor on the generated sample city.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build/bin
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting under a virtual X server (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1600x1000x24" ./tsivor "$@"
fi
exec ./tsivor "$@"
