#!/usr/bin/env bash
# Writes a demo log (one helicopter, two years of flights, two pilots,
# maintenance with a few cards due, deferred and within the look-ahead
# mark) into a data directory of your choice, with the program files beside
# it; refuses a directory that already holds a log, settings or log file.
#   bash scripts/demo-log.sh DIR        then: AVLEDGER_DATA=DIR bash scripts/run.sh
# AVLEDGER_BUILD names another build directory (default: build).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: bash scripts/demo-log.sh DIR" >&2; exit 2; }
dir="$(mkdir -p "$1" && cd "$1" && pwd)"
cd "$(dirname "$0")/.."
build="${AVLEDGER_BUILD:-build}"
bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target avCCD avDemoLog
exec "$build/src/avDemoLog" "$dir" etc "$build/etc"
