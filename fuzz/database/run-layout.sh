#!/bin/sh
# Builds the enhanced grid's layout reader fuzz target with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs it for the given
# number of seconds (default 60). The dataset layer is built with the same
# instrumentation in a build folder of its own. New inputs go to
# layout-corpus/, crashes to layout-crashes/; the test suite replays both.
set -eu
SECONDS_TO_RUN=${1:-60}
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz-database}
SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
mkdir -p "$HERE/layout-corpus" "$HERE/layout-crashes"
cmake -S "$ROOT" -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $SAN" -DTARNWELL_ONLY="platform;database" \
  -DBUILD_TESTING=OFF -DTARNWELL_BUILD_SHOWCASE=OFF -DTARNWELL_BUILD_TOOLS=OFF \
  -DTARNWELL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$OUT" --target tarnwell_database
QT=$(pkg-config --cflags Qt6Core Qt6Gui Qt6Sql)
QTLIBS=$(pkg-config --libs Qt6Core Qt6Gui Qt6Sql sqlite3 libpq)
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer $SAN -I"$OUT/include" $QT \
  "$HERE/FuzzGridLayout.cpp" "$HERE/FuzzGridLayoutMain.cpp" "$OUT/lib/libtarnwell_database.a" \
  "$OUT/lib/libtarnwell_platform_core.a" $QTLIBS -o "$OUT/fuzz-gridlayout"
"$OUT/fuzz-gridlayout" -max_total_time="$SECONDS_TO_RUN" -max_len=8192 -timeout=5 -rss_limit_mb=2048 \
  -artifact_prefix="$HERE/layout-crashes/" -print_final_stats=1 "$HERE/layout-corpus"
