#!/usr/bin/env bash
# Builds the showcase (installing what is missing) and starts it. Without a
# display it runs under a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --target tarnwell
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/tarnwell "$@"
fi
exec build/bin/tarnwell "$@"
