#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs the whole
# test suite. Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${YZ_TEST_BUILD:-$root/build-test}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DYZ_SANITIZE=ON -DYZ_TESTS=ON -DYZ_BENCH=ON >/dev/null
jobs="$(nproc 2>/dev/null || echo 2)"
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs" "$@"
