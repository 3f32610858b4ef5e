#!/bin/sh
# The model reader's fuzz target.
#   fuzz/space3d/run.sh [SECONDS]
# Builds and runs it with ../run.sh (which says where inputs and crashes go).
exec "$(dirname "$0")/../run.sh" "${1:-60}" loader3d
