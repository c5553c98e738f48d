#!/usr/bin/env bash
# Installs what is missing, builds and launches avLedger with a per-user
# data directory. Program files are refreshed there at every launch; the
# catalogue and drawings are copied only when absent, and the user's log
# database, settings and log are never touched by this script.
#   bash scripts/run.sh [--component-edit-enable]   your own log
#   bash scripts/run.sh --demo                      a demo log in a temporary
#                                                   directory, removed after
# AVLEDGER_BUILD names another build directory (default: build);
# AVLEDGER_NO_BUILD=1 uses it as it is, without installing or building.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"
build="${AVLEDGER_BUILD:-build}"

# Said before anything is built or copied: without a display nothing here
# would be of use.
if [ -z "${DISPLAY:-}" ]; then
    echo "avLedger: no display (DISPLAY is not set). Run it on a desktop, or under" >&2
    echo "          xvfb-run -a bash scripts/run.sh   to start it without one." >&2
    exit 1
fi
if [ -z "${AVLEDGER_NO_BUILD:-}" ]; then
    bash scripts/install-deps.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target avLedger avCCD avDemoLog
fi

if [ "${1:-}" = "--demo" ]; then
    exec "$build/src/avDemoLog" --open etc "$build/etc"
fi

data="${AVLEDGER_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/avLedger}"
mkdir -p "$data/bin" "$data/etc"
cp etc/avLedger.ui "$data/etc/avLedger.ui.part.$$"
mv -f "$data/etc/avLedger.ui.part.$$" "$data/etc/avLedger.ui"
for f in "$build"/etc/avCCD.db "$build"/etc/*.png; do
    [ -e "$f" ] || continue
    [ -e "$data/etc/$(basename "$f")" ] || cp "$f" "$data/etc/"
done

echo "avLedger: data directory $data/etc"
cd "$data/bin"
exec "$(cd "$repo" && readlink -f "$build")/src/avLedger" "$@"
