#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer, UndefinedBehavior-
# Sanitizer and leak detection into build-asan/ (ccache is shared with build/).
# Any sanitizer report fails the test that met it, and so the run; every fuzz
# corpus is replayed by the suites. Exit status = the suite's.
#
# Left out here, and run by ./test.sh only: the benchmarks (timings under a
# sanitizer mean nothing) and the package tests (they install the build and
# compile programs against it, which checks the packaging, not our memory use)
# and the API reference test (Doxygen reads the headers; nothing of ours runs).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"

export BUILD_DIR=build-asan
export TARNWELL_CMAKE_ARGS="-DTARNWELL_ASAN=ON -DTARNWELL_BUILD_BENCHMARKS=OFF -DBUILD_SHARED_LIBS=ON"
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
# halt_on_error/abort: the first report ends the process with a failure.
# detect_leaks: LeakSanitizer runs at every exit; the suppressions name only
# system libraries' own allocations (see the file for each one's reason).
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1:strict_init_order=1:detect_stack_use_after_return=0:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$ROOT/scripts/sanitizers/ubsan.supp"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/sanitizers/lsan.supp:print_suppressions=0"

cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" --timeout 1800 -E '^(package|docs)\.'
