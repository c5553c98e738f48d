#!/bin/bash
# Kill harness: runs the program (in-process, under its own Xvfb) through
# scripted edits on the aircraft, flight, pilot and component pages (with defects
# reported after flights, maintenance records and catalogue edits), kills it with
# SIGKILL at a random moment, and checks the files after every kill. A
# maintenance record that states work the owner did not enter (an entry cut
# short, yet counting) is a loss of its own kind.
#   bash tools/crash/run.sh [runs, default 50] [steps per run, default 100]
# All runs share one fresh data directory, as a user restarting after a
# crash would; it is left in /tmp for inspection. Exit status 1 on a loss.
set -euo pipefail
cd "$(dirname "$0")/../.."
RUNS=${1:-50}
STEPS=${2:-100}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$RUNS" "$STEPS"
fi
OUT=build/crash
mkdir -p "$OUT"
nice cmake --build build --target avledger_core >/dev/null
nice g++ -std=c++20 -O1 -g -Wall -Wextra -Wno-deprecated-declarations \
    -Isrc/base -Isrc/store -Isrc/model -Isrc/exchange -Isrc/ui \
    $(pkg-config --cflags gtk+-2.0 sqlite3) tools/crash/crash_driver.cpp \
    build/src/libavledger_core.a $(pkg-config --libs gtk+-2.0 sqlite3) -lm -o "$OUT/crash_driver"

DRIVER="$PWD/$OUT/crash_driver"
DATA=$(mktemp -d /tmp/avlcrash-XXXXXX)
mkdir -p "$DATA/bin" "$DATA/etc"
cp etc/avLedger.ui "$DATA/etc/"
[ -f build/etc/avCCD.db ] && cp build/etc/avCCD.db "$DATA/etc/"

KILLS=0 RECORDS=0 LOSSES=0 LOST_MAX=0 FINISHED=0 UNENTERED=0
for RUN in $(seq 1 "$RUNS"); do
    J="$DATA/journal-$RUN"
    (cd "$DATA/bin" && exec "$DRIVER" drive "$J" "$RUN$RANDOM" "$STEPS" \
        >>"$DATA/driver.out" 2>&1) &
    PID=$!
    # Anywhere from inside the start-up to deep into the edits.
    sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.2f", 0.3 + (r % 800) / 100 }')"
    if kill -9 "$PID" 2>/dev/null; then KILLS=$((KILLS + 1)); else FINISHED=$((FINISHED + 1)); fi
    wait "$PID" 2>/dev/null || true
    LINE=$("$OUT/crash_driver" check "$J" "$DATA/etc") || true
    echo "run $RUN: $LINE (steps skipped, row not found: $(grep -c '^noselect' "$J" || true))" |
        tee -a "$DATA/runs.log"
    # A failed check keeps the files as the kill left them.
    # A passed run's journal (a snapshot per step) is not needed again.
    case $LINE in *losses=0*) rm -f "$J" ;; *) cp -r "$DATA/etc" "$DATA/etc-after-run-$RUN" ;; esac
    RECORDS=$((RECORDS + $(sed -n 's/.*records=\([0-9]*\).*/\1/p' <<<"$LINE")))
    N=$(sed -n 's/.*losses=\([0-9]*\).*/\1/p' <<<"$LINE")
    LOSSES=$((LOSSES + N))
    UNENTERED=$((UNENTERED + $(sed -n 's/.*unentered_work=\([0-9]*\).*/\1/p' <<<"$LINE")))
    C=$(sed -n 's/.*lost_typed_chars=\([0-9]*\).*/\1/p' <<<"$LINE")
    [ "$C" -gt "$LOST_MAX" ] && LOST_MAX=$C
done
echo "summary: runs=$RUNS kills=$KILLS finished=$FINISHED records_checked=$RECORDS losses=$LOSSES records_stating_unentered_work=$UNENTERED most_typed_chars_lost=$LOST_MAX data=$DATA"
[ "$LOSSES" -eq 0 ]
