#!/usr/bin/env bash
# Installing and launching never touch a user's data, and the installed
# program starts: run by ctest as  test_install.sh SOURCE_DIR BUILD_DIR.
#
# A data directory holding a log, settings, a log file, an edited catalogue
# and pictures of the user's own is put through `cmake --install`, the
# installed launcher and scripts/run.sh (both without a display, so they
# prepare the directory and stop where the program would start); every one
# of those files must be byte for byte as it was. Then the installed
# launcher starts the real program under Xvfb on a fresh directory and on
# the demo, and the desktop entry and metainfo pass their validators.
set -euo pipefail
src=$(readlink -f "$1")
build=$(readlink -f "$2")
tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# --- the user's data -------------------------------------------------------
data="$tmp/data"
mkdir -p "$data/bin" "$data/etc"
sqlite3 "$data/etc/avLedger.db" "CREATE TABLE Aircraft (iAircraftID INTEGER PRIMARY KEY, strReg TEXT);
                                 INSERT INTO Aircraft VALUES (1, 'ZK-MINE');"
printf '# my settings\n[Aircraft]\nACID=1\n' >"$data/etc/avLedger.conf"
printf '01-Jan-2026 10:00:00 avLedger Started\n\n' >"$data/etc/avLedger.log"
cp "$build/etc/avCCD.db" "$data/etc/avCCD.db"
sqlite3 "$data/etc/avCCD.db" "UPDATE Component SET strPartDesc = 'my own words' WHERE rowid = (SELECT MIN(rowid) FROM Component);"
# A picture of the user's own, and one in the place of every shipped one.
printf 'not really a png' >"$data/etc/my-own.png"
for f in "$src"/etc/*.png "$build"/etc/*.png; do
    [ -e "$f" ] && printf 'my edited picture' >"$data/etc/${f##*/}"
done
printf 'an old UI file' >"$data/etc/avLedger.ui"

snapshot() { (cd "$data" && find . -type f ! -name avLedger.ui -print0 | sort -z | xargs -0 sha256sum); }
before=$(snapshot)
check_untouched() {
    local now
    now=$(snapshot)
    [ "$now" = "$before" ] || fail "$1 changed the user's data: $(diff <(echo "$before") <(echo "$now") | tr '\n' ' ')"
    # Nothing left behind either (a half-copied file, a new file).
    local extra
    extra=$(cd "$data" && find . -type f ! -name avLedger.ui | sort | diff - <(echo "$before" | awk '{print $2}' | sort) || true)
    [ -z "$extra" ] || fail "$1 left files behind: $extra"
}

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
check_untouched "cmake --install"

# Without a display the launcher and run.sh say so before they copy
# anything: the UI file too stays as it was, and no data directory is made.
snapshot_all() { snapshot; sha256sum "$data/etc/avLedger.ui"; }
before=$(snapshot_all)
for how in launcher run.sh; do
    for dir in "$data" "$tmp/none"; do
        status=0
        if [ "$how" = launcher ]; then
            env -u DISPLAY AVLEDGER_DATA="$dir" "$prefix/bin/avledger" 2>/dev/null || status=$?
        else
            env -u DISPLAY AVLEDGER_DATA="$dir" AVLEDGER_BUILD="$build" AVLEDGER_NO_BUILD=1 \
                bash "$src/scripts/run.sh" 2>/dev/null || status=$?
        fi
        [ "$status" -eq 1 ] || fail "the $how without a display ended with $status, not 1"
    done
    [ "$(snapshot_all)" = "$before" ] || fail "the $how without a display changed the data directory"
    [ ! -e "$tmp/none" ] || fail "the $how without a display made a data directory"
done
before=$(snapshot)

# --- the installed program starts -------------------------------------------
# Waits up to 30 s for a line in a log file.
wait_for_line() {
    for _ in $(seq 300); do
        grep -qs "$2" "$1" && return 0
        sleep 0.1
    done
    return 1
}
# Waits up to 30 s for a file that is not empty (the program logs its
# start before it opens the databases).
wait_for_file() {
    for _ in $(seq 300); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
fresh="$tmp/fresh"
export TMPDIR="$tmp/tmp"
mkdir -p "$TMPDIR"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    AVLEDGER_DATA="$1" "$2/bin/avledger" 2>/dev/null & echo $! >"$3/program.pid"
    "$2/bin/avledger" --demo >/dev/null 2>&1 & echo $! >"$3/demo.pid"
    wait' _ "$fresh" "$prefix" "$tmp" &
pids+=($!)
if wait_for_line "$fresh/etc/avLedger.log" "avLedger Started"; then
    [ -s "$fresh/etc/avCCD.db" ] || fail "the launcher did not copy the catalogue"
    wait_for_file "$fresh/etc/avLedger.db" || fail "the installed program made no log database"
else
    fail "the installed program did not start on a fresh data directory"
fi
demo_log=""
for _ in $(seq 300); do
    demo_log=$(ls "$TMPDIR"/avLedger-demo-*/etc/avLedger.log 2>/dev/null | head -1 || true)
    [ -n "$demo_log" ] && grep -qs "avLedger Started" "$demo_log" && break
    sleep 0.1
done
[ -n "$demo_log" ] || fail "the launcher's --demo did not start the program on a demo log"
[ -n "$demo_log" ] && [ "$(sqlite3 "$(dirname "$demo_log")/avLedger.db" 'SELECT COUNT(*) FROM Flight')" -gt 40 ] ||
    fail "the demo log has no flights"
# The demo program is the demo tool's child; ending it lets the tool tidy up.
demo_tool=$(cat "$tmp/demo.pid" 2>/dev/null || true)
for p in $(cat "$tmp/program.pid" 2>/dev/null) ${demo_tool:+$(pgrep -P "$demo_tool")}; do
    kill "$p" 2>/dev/null || true
done
for _ in $(seq 100); do
    compgen -G "$TMPDIR/avLedger-demo-*" >/dev/null || break
    sleep 0.1
done
! compgen -G "$TMPDIR/avLedger-demo-*" >/dev/null || fail "the demo left its directory behind"
check_untouched "starting the installed program elsewhere"

# --- desktop integration files ------------------------------------------------
desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "appstreamcli validate"
for f in "$prefix"/share/icons/hicolor/{scalable/apps/*.svg,48x48/apps/*.png}; do
    [ -s "$f" ] || fail "icon missing: $f"
done

[ "$failures" -eq 0 ] && echo "install, launcher, run.sh and demo: all checks passed"
exit $((failures > 0))
