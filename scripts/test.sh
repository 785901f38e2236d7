#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test (unit, PostgreSQL,
# cross-process and end-to-end) with CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${VOD_BUILD:-$root/build}
"$root/scripts/build.sh" "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600 "$@"
