#!/usr/bin/env bash
# Builds the program and starts it on the virtual plotter; extra arguments are passed on.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/bin/orlex-plotter --simulate "$@"
