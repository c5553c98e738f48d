#!/usr/bin/env bash
# The Debian package: run by ctest as  test_deb.sh BUILD_DIR.
# Builds it with cpack into a temporary directory, checks that it depends on
# the libraries the program needs, holds every installed file and passes
# lintian, then
# unpacks it (no root, nothing installed on this machine) and starts the
# program through the packaged launcher under Xvfb.
set -euo pipefail
build=$(readlink -f "$1")
tmp=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$tmp/pkg" >/dev/null)
deb=$(ls "$tmp"/pkg/avledger_*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libgtk2.0-0 libsqlite3-0 libglib2.0-0 libc6; do
    grep -q "\b$lib\b" <<<"$depends" || fail "the package does not depend on $lib: $depends"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/avledger ./usr/lib/avledger/avLedger ./usr/lib/avledger/avDemoLog \
         ./usr/share/avledger/avLedger.ui ./usr/share/avledger/avCCD.db \
         ./usr/share/applications/org.avledger.avledger.desktop \
         ./usr/share/metainfo/org.avledger.avledger.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/org.avledger.avledger.svg \
         ./usr/share/icons/hicolor/48x48/apps/org.avledger.avledger.png; do
    grep -qx "$f" <<<"$files" || fail "the package lacks $f"
done
for png in "$build"/etc/*.png; do
    [ -e "$png" ] || continue
    grep -qx "./usr/share/avledger/${png##*/}" <<<"$files" || fail "the package lacks the drawing ${png##*/}"
done

# Debian's own checker: no error, no warning, and the hardening it reports
# only as information (bind-now, fortify) is there too.
if command -v lintian >/dev/null; then
    report=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) ||
        fail "lintian finds errors or warnings: $report"
    ! grep -q 'hardening-' <<<"$report" || fail "lintian: the program is not hardened: $report"
else
    fail "lintian is not installed (scripts/install-deps.sh installs it)"
fi

dpkg-deb -x "$deb" "$tmp/root"
data="$tmp/data"
xvfb-run -a -s "-screen 0 1024x768x24" env AVLEDGER_DATA="$data" "$tmp/root/usr/bin/avledger" \
    >/dev/null 2>&1 &
pid=$!
for _ in $(seq 300); do
    [ -s "$data/etc/avLedger.db" ] && break
    sleep 0.1
done
grep -qs "avLedger Started" "$data/etc/avLedger.log" || fail "the packaged program did not start"
[ -s "$data/etc/avLedger.db" ] || fail "the packaged program made no log database"
# The program may change the copy's journal mode, so its cards are compared.
cards() { sqlite3 "$1" "SELECT COUNT(*) FROM Component" 2>/dev/null || echo none; }
[ "$(cards "$data/etc/avCCD.db")" = "$(cards "$tmp/root/usr/share/avledger/avCCD.db")" ] ||
    fail "the packaged launcher did not copy the catalogue"

[ "$failures" -eq 0 ] && echo "Debian package: all checks passed"
exit $((failures > 0))
