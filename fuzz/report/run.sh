#!/bin/sh
# The compressed-report reader's fuzz target.
#   fuzz/report/run.sh [SECONDS]
# Builds and runs it with ../run.sh (which says where inputs and crashes go).
exec "$(dirname "$0")/../run.sh" "${1:-60}" odr
