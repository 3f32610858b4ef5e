#!/bin/sh
# Builds the spreadsheet fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for the given number of seconds.
#   fuzz/spreadsheet/run.sh [SECONDS] [TARGET...]
# Targets: decompress sheetfile cellrecord csv formula (default: all).
# New crash inputs land in fuzz/spreadsheet/crashes/<target>/; the test suite
# replays them with the seed corpus.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-"decompress sheetfile cellrecord csv formula"}
build=${FUZZ_BUILD_DIR:-/tmp/tarnwell-fuzz-spreadsheet}
mkdir -p "$build"
CXX=${CXX:-clang++}
qt=$(pkg-config --cflags Qt6Core Qt6Gui Qt6Widgets)
qtlibs=$(pkg-config --libs Qt6Core Qt6Gui Qt6Widgets)
flags="-std=c++20 -O1 -g -fPIC -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
inc="-I$root/spreadsheet -I$root/platform -I$here"
objs=""
for src in "$root"/spreadsheet/SSht*.cpp "$root"/spreadsheet/FastCompress.cpp "$here/FuzzEntries.cpp" \
           "$root"/platform/TDateTime.cpp "$root"/platform/THourglass.cpp "$root"/platform/TGraphics.cpp \
           "$root"/platform/TColor.cpp; do
  obj="$build/$(basename "$src" .cpp).o"
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ]; then
    echo "compiling $(basename "$src")"
    $CXX $flags -fsanitize=fuzzer-no-link $inc $qt -c "$src" -o "$obj"
  fi
  objs="$objs $obj"
done
for t in $targets; do
  exe="$build/fuzz_$t"
  $CXX $flags -fsanitize=fuzzer $inc $qt "$here/fuzz_$t.cpp" $objs $qtlibs -o "$exe"
  mkdir -p "$here/crashes/$t" "$build/corpus/$t"
  echo "== $t: ${seconds}s"
  QT_QPA_PLATFORM=offscreen "$exe" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$here/crashes/$t/" "$build/corpus/$t" "$here/corpus/$t" 2>&1 | tail -n 4
done
