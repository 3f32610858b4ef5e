#!/bin/sh
# Builds the compressed-report reader's fuzz target with clang (libFuzzer,
# ASan, UBSan) and runs it for the given number of seconds (default 60).
# New inputs go to corpus/; crashes to crashes/, which the test suite replays.
set -eu
SECONDS_TO_RUN=${1:-60}
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz-report}
mkdir -p "$OUT" "$HERE/corpus" "$HERE/crashes" "$OUT/include/Tarnwell"
# The sources include each other as <Tarnwell/<folder>/X.h>.
ln -sfn "$ROOT/app" "$OUT/include/Tarnwell/app"
ln -sfn "$ROOT/spreadsheet" "$OUT/include/Tarnwell/spreadsheet"
QT_CFLAGS=$(pkg-config --cflags Qt6Core)
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$OUT/include" $QT_CFLAGS \
  "$HERE/FuzzOdr.cpp" "$ROOT/app/QuickRptFile.cpp" "$ROOT/spreadsheet/FastCompress.cpp" \
  $(pkg-config --libs Qt6Core) -o "$OUT/fuzz-odr"
"$OUT/fuzz-odr" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -timeout=5 -rss_limit_mb=2048 \
  -artifact_prefix="$HERE/crashes/" -print_final_stats=1 "$HERE/corpus"
