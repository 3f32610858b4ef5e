#!/bin/sh
# Builds the model-reader fuzz target with clang (libFuzzer, ASan, UBSan) and
# runs it for the given number of seconds (default 60). New inputs go to
# corpus/; crashes to crashes/, which the test suite replays.
set -eu
SECONDS_TO_RUN=${1:-60}
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz-space3d}
mkdir -p "$OUT" "$HERE/corpus" "$HERE/crashes" "$OUT/include/Tarnwell"
# The sources include each other as <Tarnwell/<folder>/X.h>.
ln -sfn "$ROOT/space3d" "$OUT/include/Tarnwell/space3d"
ln -sfn "$ROOT/platform" "$OUT/include/Tarnwell/platform"
QT_CFLAGS=$(pkg-config --cflags Qt6Core Qt6Gui)
# The render styles are a registered enumeration: the engine header needs moc.
MOC=${MOC:-$(pkg-config --variable=libexecdir Qt6Core 2>/dev/null || echo /usr/lib/qt6/libexec)/moc}
"$MOC" "$ROOT/space3d/Engine3D.h" -o "$OUT/moc_Engine3D.cpp"
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$OUT/include" -I"$ROOT/space3d" $QT_CFLAGS \
  "$HERE/FuzzLoader3D.cpp" "$ROOT/space3d/DtType3D.cpp" "$ROOT/space3d/Engine3D.cpp" "$ROOT/space3d/Loader3D.cpp" \
  "$OUT/moc_Engine3D.cpp" $(pkg-config --libs Qt6Core Qt6Gui) -o "$OUT/fuzz-loader3d"
EXTRA=""
[ -d /usr/share/assimp/models/3DS ] && EXTRA=/usr/share/assimp/models/3DS
"$OUT/fuzz-loader3d" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -timeout=5 -rss_limit_mb=2048 \
  -artifact_prefix="$HERE/crashes/" -print_final_stats=1 "$HERE/corpus" $EXTRA
