#!/usr/bin/env bash
# Installs what is missing, builds the module and the host program, and runs yzhost.
# With no arguments yzhost runs the bundled demo on the embedded demo ward.
# Usage: scripts/run.sh [yzhost arguments...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${YZ_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DYZ_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target yzhost
exec "$build/tools/yzhost/yzhost" "$@"
