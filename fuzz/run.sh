#!/usr/bin/env bash
# Builds every libFuzzer target with clang, AddressSanitizer and Undefined-
# BehaviorSanitizer (fuzz/CMakeLists.txt, into build-fuzz/) and runs the named
# ones for SECONDS each (default 60):
#   fuzz/run.sh [SECONDS] [TARGET...]
# Targets: enhquery gridlayout odr loader3d decompress sheetfile cellrecord
# csv formula (default: all). SECONDS 0 only builds.
#
# New inputs go to the target's corpus folder in the source tree (so the
# corpora grow; the test suite replays them), crash inputs to its crashes
# folder. Set FUZZ_NEW_INPUTS=DIR to keep the source tree as it is and put
# new inputs under DIR/<target> instead (CI). FUZZ_JOBS=N runs N targets at
# a time. The exit status is non-zero when any target met a crash, a leak, a
# sanitizer report or an input slower than its timeout.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
SECONDS_TO_RUN=${1:-60}
[ $# -gt 0 ] && shift
ALL="enhquery gridlayout odr loader3d decompress sheetfile cellrecord csv formula"
TARGETS=${*:-$ALL}
OUT=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
JOBS=${FUZZ_JOBS:-1}

# target -> corpus folder, crash folder, libFuzzer options
target_files() {
  case $1 in
    enhquery) echo "database/corpus database/crashes -max_len=4096 -timeout=5" ;;
    gridlayout) echo "database/layout-corpus database/layout-crashes -max_len=8192 -timeout=5" ;;
    odr) echo "report/corpus report/crashes -max_len=65536 -timeout=5" ;;
    loader3d) echo "space3d/corpus space3d/crashes -max_len=65536 -timeout=5" ;;
    decompress | sheetfile | cellrecord | csv | formula)
      echo "spreadsheet/corpus/$1 spreadsheet/crashes/$1 -max_len=16384 -timeout=10" ;;
    *) echo "fuzz/run.sh: unknown target $1 (known: $ALL)" >&2; return 1 ;;
  esac
}
for t in $TARGETS; do target_files "$t" >/dev/null; done

if [ ! -f "$OUT/build.ninja" ]; then
  cmake -S "$HERE" -B "$OUT" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$OUT" -j"$(nproc)" --target $(for t in $TARGETS; do printf 'fuzz-%s ' "$t"; done)
[ "$SECONDS_TO_RUN" = 0 ] && exit 0

run_one() {
  local t=$1 corpus crashes opts new
  read -r corpus crashes opts <<<"$(target_files "$t")"
  corpus=$HERE/$corpus
  mkdir -p "$HERE/$crashes"
  local seeds=("$corpus")
  # The model reader also starts from the sample models of the Debian package.
  if [ "$t" = loader3d ] && [ -d /usr/share/assimp/models/3DS ]; then seeds+=(/usr/share/assimp/models/3DS); fi
  if [ -n "${FUZZ_NEW_INPUTS:-}" ]; then
    new=$FUZZ_NEW_INPUTS/$t
    mkdir -p "$new"
    seeds=("$new" "${seeds[@]}")
  fi
  # shellcheck disable=SC2086
  QT_QPA_PLATFORM=offscreen "$OUT/bin/fuzz-$t" -max_total_time="$SECONDS_TO_RUN" $opts -rss_limit_mb=2048 \
    -artifact_prefix="$HERE/$crashes/" -print_final_stats=1 "${seeds[@]}"
}

LOGS=$(mktemp -d)
trap 'rm -rf "$LOGS"' EXIT
failed=()
report() {  # target, exit status
  if [ "$2" -eq 0 ]; then
    echo "fuzz: $1 ok ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$LOGS/$1" | grep -o '[0-9]*$') runs)"
  else
    echo "fuzz: $1 FAILED (exit $2):"
    tail -n 60 "$LOGS/$1"
    failed+=("$1")
  fi
}
running=()
for t in $TARGETS; do
  echo "fuzz: $t for ${SECONDS_TO_RUN}s"
  run_one "$t" >"$LOGS/$t" 2>&1 &
  running+=("$t:$!")
  if [ ${#running[@]} -ge "$JOBS" ]; then
    entry=${running[0]}
    running=("${running[@]:1}")
    rc=0; wait "${entry#*:}" || rc=$?
    report "${entry%%:*}" "$rc"
  fi
done
for entry in "${running[@]}"; do
  rc=0; wait "${entry#*:}" || rc=$?
  report "${entry%%:*}" "$rc"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} target(s) failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: every target ran ${SECONDS_TO_RUN}s without a finding"
