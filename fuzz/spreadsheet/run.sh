#!/bin/sh
# The spreadsheet fuzz targets, each for SECONDS (default 60):
#   fuzz/spreadsheet/run.sh [SECONDS] [TARGET...]
# Targets: decompress sheetfile cellrecord csv formula (default: all).
# Builds and runs them with ../run.sh (which says where inputs and crashes go).
seconds=${1:-60}
[ $# -gt 0 ] && shift
exec "$(dirname "$0")/../run.sh" "$seconds" ${*:-decompress sheetfile cellrecord csv formula}
