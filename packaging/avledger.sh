#!/bin/sh
# avledger: starts avLedger on the user's data directory.
#
#   avledger [--component-edit-enable]   the user's own log
#   avledger --demo                       a fresh demo log in a temporary
#                                         directory, removed afterwards
#
# The data directory is $AVLEDGER_DATA, else $XDG_DATA_HOME/avLedger (by
# default ~/.local/share/avLedger); the program reads and writes its etc/
# and runs in its bin/. The UI file is refreshed there at every start; the
# catalogue and drawings are copied only when absent. The user's log
# database, settings, log file, edited catalogue and pictures are never
# written by this script.
set -eu

here=$(dirname "$(readlink -f "$0")")
prefix=$(cd "$here/.." && pwd)
libdir="$prefix/lib/avledger"
share="$prefix/share/avledger"

# Said before anything is copied into the data directory.
if [ -z "${DISPLAY:-}" ]; then
    echo "avledger: no display (DISPLAY is not set); start it on a desktop," >&2
    echo "          or under  xvfb-run -a avledger  without one." >&2
    exit 1
fi

if [ "${1:-}" = "--demo" ]; then
    exec "$libdir/avDemoLog" --open "$share"
fi

data="${AVLEDGER_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/avLedger}"
mkdir -p "$data/bin" "$data/etc"

# Copied under a temporary name and renamed, so that an interrupted copy
# never leaves half a file where the program looks.
put() { # source, destination, "refresh" or "keep"
    [ "$3" = keep ] && [ -e "$2" ] && return 0
    cp "$1" "$2.part.$$"
    if [ "$3" = keep ]; then
        mv -n "$2.part.$$" "$2"
        rm -f "$2.part.$$"
    else
        mv -f "$2.part.$$" "$2"
    fi
}

put "$share/avLedger.ui" "$data/etc/avLedger.ui" refresh
for f in "$share/avCCD.db" "$share"/*.png; do
    [ -e "$f" ] || continue
    put "$f" "$data/etc/${f##*/}" keep
done

cd "$data/bin"
exec "$libdir/avLedger" "$@"
