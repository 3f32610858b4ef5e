#!/usr/bin/env bash
# Builds the showcase (installing what is missing) and starts it. Without a
# display it runs under a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --target tarnwell
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<'TEXT'
No display here: the showcase runs under a virtual display (Xvfb, 1280x1024),
so no window appears on this screen. To see a window, take a snapshot from
another shell, e.g.
    build/bin/tarnwell-snap --window "TBarCodes" barcodes.png
(or build/bin/tarnwell-snap main.png for the main frame). Stop the showcase
with Ctrl+C.
TEXT
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/tarnwell "$@"
fi
exec build/bin/tarnwell "$@"
