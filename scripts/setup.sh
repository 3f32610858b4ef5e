#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages listed in
# deps/apt-packages.txt that are missing, then configures and builds (Release)
# into build/. Quick when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
while read -r pkg; do
  pkg="${pkg%%#*}"
  pkg="$(echo "$pkg" | tr -d '[:space:]')"
  [ -z "$pkg" ] && continue
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done < deps/apt-packages.txt

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# ccache keys paths relative to the checkout, so another clone of the project
# (CI's fresh one, a worktree) reuses what this one compiled.
export CCACHE_BASEDIR="$PWD"
export CCACHE_NOHASHDIR=1

BUILD_DIR="${BUILD_DIR:-build}"
# Further configure options of this build folder (scripts/test-asan.sh passes
# the sanitizer build's); a folder configured with other ones is reconfigured.
CONFIG_ARGS=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWELL_ONLY= ${TARNWELL_CMAKE_ARGS:-})
STAMP="$BUILD_DIR/.tarnwell-configure-args"
# A build tree limited to some folders (TARNWELL_ONLY) is widened to everything.
if [ ! -f "$BUILD_DIR/build.ninja" ] || grep -q '^TARNWELL_ONLY:[A-Z]*=.' "$BUILD_DIR/CMakeCache.txt" 2>/dev/null \
   || [ "$(cat "$STAMP" 2>/dev/null)" != "${CONFIG_ARGS[*]}" ]; then
  cmake -S . -B "$BUILD_DIR" "${CONFIG_ARGS[@]}"
  echo "${CONFIG_ARGS[*]}" > "$STAMP"
fi
cmake --build "$BUILD_DIR" -j"$(nproc)" "$@"
