#!/bin/bash
# Builds the fuzz targets with clang's libFuzzer (plus AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a fixed number of inputs.
#   bash fuzz/run.sh [runs per target, default 10000000] [target ...]
# FUZZ_MAX_SECONDS=n stops each target after n seconds instead (the text
# view targets run about a thousand inputs a second on a busy machine).
# Seeds come from the test sources' string literals and fuzz/regressions/;
# every input that once failed is kept in fuzz/regressions/<target>/ and is
# run first. Not part of ctest: one target at a time, on one core.
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-10000000}
shift || true
TARGETS=${*:-"date interval limit schema markup header"}
OUT=build-fuzz
CXX=${FUZZ_CXX:-clang++-14}
FLAGS="-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
PKG="$(pkg-config --cflags gtk+-2.0 sqlite3)"
INC="-Isrc/base -Isrc/store -Isrc/model -Isrc/exchange -Isrc/ui"
LIBS="$(pkg-config --libs gtk+-2.0 sqlite3) -lm"
mkdir -p "$OUT/obj"

# The program's sources, instrumented for coverage, compiled once.
OBJS=()
for SRC in src/*/*.cpp; do
    [ "$(basename "$SRC")" = main.cpp ] && continue
    OBJ="$OUT/obj/$(basename "$SRC" .cpp).o"
    if [ ! -f "$OBJ" ] || [ "$SRC" -nt "$OBJ" ]; then
        nice $CXX $FLAGS -fsanitize=fuzzer-no-link -Wno-deprecated-declarations \
            -DG_LOG_DOMAIN='"avLedger"' $INC $PKG -c "$SRC" -o "$OBJ"
    fi
    OBJS+=("$OBJ")
done

# Seeds: every string literal of the tests that exercise each parser.
seed() { # target, test files...
    local DIR="$OUT/corpus/$1"; shift
    mkdir -p "$DIR"
    python3 - "$DIR" "$@" <<'PY'
import ast, hashlib, re, sys
out = sys.argv[1]
for path in sys.argv[2:]:
    for lit in re.findall(r'"((?:[^"\\\n]|\\.)*)"', open(path, encoding="utf-8").read()):
        try:
            text = ast.literal_eval('"' + lit + '"')
        except Exception:
            continue
        data = text.encode("utf-8", "surrogateescape")
        open(f"{out}/{hashlib.sha1(data).hexdigest()}", "wb").write(data)
PY
}

for T in $TARGETS; do
    case $T in
    date) SRC=fuzz/fuzz_date.cpp; DEF=""; TESTS="tests/logic/test_cnv.cpp tests/ui/test_flight_page.cpp tests/ui/test_card_pages.cpp" ;;
    interval) SRC=fuzz/fuzz_interval.cpp; DEF=""; TESTS="tests/logic/test_cnv.cpp tests/logic/test_pilot_model.cpp tests/ui/test_card_pages.cpp" ;;
    limit) SRC=fuzz/fuzz_limit.cpp; DEF=""; TESTS="tests/logic/test_cnv.cpp tests/logic/test_due.cpp tests/ui/test_card_pages.cpp" ;;
    schema) SRC=fuzz/fuzz_schema.cpp; DEF=""; TESTS="tests/logic/test_schema.cpp" ;;
    markup) SRC=fuzz/fuzz_markup.cpp; DEF=""; TESTS="tests/logic/test_txtview.cpp tests/ui/test_help.cpp" ;;
    header) SRC=fuzz/fuzz_markup.cpp; DEF="-DFUZZ_HEADER_FORM"; TESTS="tests/logic/test_txtview.cpp tests/ui/test_txtview_keys.cpp" ;;
    *) echo "unknown target $T" >&2; exit 2 ;;
    esac
    BIN="$OUT/fuzz_$T"
    nice $CXX $FLAGS -fsanitize=fuzzer $DEF -Wno-deprecated-declarations $INC $PKG \
        "$SRC" "${OBJS[@]}" $LIBS -o "$BIN"
    TESTS=$(ls $TESTS 2>/dev/null || true)
    seed "$T" $TESTS
    REG=fuzz/regressions/$T
    mkdir -p "$REG"
    # Earlier findings first: each must pass before new inputs are tried.
    if [ -n "$(ls -A "$REG")" ]; then
        "$BIN" -runs=0 "$REG"/* >"$OUT/$T.regress.log" 2>&1 ||
            { echo "$T: a kept finding fails again, see $OUT/$T.regress.log"; exit 1; }
    fi
    echo "$T: $RUNS runs"
    if nice "$BIN" -runs="$RUNS" -max_total_time="${FUZZ_MAX_SECONDS:-0}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$REG/" -print_final_stats=1 "$OUT/corpus/$T" "$REG" \
        >"$OUT/$T.log" 2>&1; then
        grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$OUT/$T.log" | sed "s/^/$T: /"
    else
        echo "$T: FINDING, see $OUT/$T.log and $REG/"
        grep -E 'check failed|ERROR:|runtime error' "$OUT/$T.log" | head -3
    fi
done
