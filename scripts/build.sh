#!/usr/bin/env bash
# Configures and builds into the folder given as $1 (default build/); further
# arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
# Ninja for a new build folder when it is installed: it keeps both cores busy across
# targets where make waits at each one's end. A folder keeps the tool it was made with.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi
cmake -S . -B "$dir" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
