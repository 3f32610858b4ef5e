#!/bin/sh
# The enhanced query's fuzz target (where-line parser, marker resolution, prompted values, SQL assembly).
#   fuzz/database/run.sh [SECONDS]
# Builds and runs it with ../run.sh (which says where inputs and crashes go).
exec "$(dirname "$0")/../run.sh" "${1:-60}" enhquery
