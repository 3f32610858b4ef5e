#!/usr/bin/env bash
# Pictures of the main frame and of every demonstration window as it stands
# in the frame, for the README's gallery: docs/gallery/<name>.png.
# Run after a build (./run.sh or ./test.sh); needs no display. Run it
# whenever a window changes: a test of tests_app compares the pictures with
# the windows as they are (the main frame exactly, every window's size).
set -euo pipefail
cd "$(dirname "$0")/.."
snap=build/bin/tarnwell-snap
out=docs/gallery
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
"$snap" "$out/main-frame.png"
"$snap" --open "TMeasureDisplay" --open "TBarCodes" --open "TGraph2D" "$out/main-frame-windows.png"
# One window on a screen of twice the density, as a 2x picture.
QT_SCALE_FACTOR=2 "$snap" --window "Simple Visuals" "$out/simple-visuals-2x.png"
# The report preview with a sample report of two pages.
"$snap" --window "Anteprima di Stampa" --size 800x600 "$out/anteprima-di-stampa.png"
# Every launcher whose window is built.
while IFS= read -r caption; do
  name=$(echo "$caption" | tr -c 'A-Za-z0-9\n' '-' | sed 's/-*$//; s/^-*//' | tr 'A-Z' 'a-z')
  if "$snap" --window "$caption" "$out/$name.png" 2>/dev/null; then
    echo "$out/$name.png"
  fi
done < <("$snap" --window "?" /dev/null.png 2>&1 | sed -n 's/.*the launchers are //p' | tr ',' '\n' | sed 's/^ *"//; s/"$//')
