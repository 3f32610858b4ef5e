#!/bin/sh
# The enhanced grid's layout reader fuzz target.
#   fuzz/database/run-layout.sh [SECONDS]
# Builds and runs it with ../run.sh (which says where inputs and crashes go).
exec "$(dirname "$0")/../run.sh" "${1:-60}" gridlayout
