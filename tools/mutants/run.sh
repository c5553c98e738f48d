#!/usr/bin/env bash
# Plants one-line rule faults into a worktree's sources, one at a time, and
# records whether the test suite notices each.
#
# usage: nice -n 10 tools/mutants/run.sh <worktree> [id ...]   (<worktree>/build configured and built once)
#   FAULTS=<file>  the faults to plant (default: faults.tsv beside this script)
#   OUT=<file>     where the markdown table goes as well as stdout
#                  (default: <worktree>/build/mutants.md)
#   FAIL_FAST=0    run every test even after the first failure (slower; the
#                  default stops each test program at its first failure)
#
# faults.tsv: one fault a line, tab-separated: id, source file (relative to
# the worktree), a text found exactly once in that file, its replacement, and
# what the user would see. Lines starting with # are comments.
#
# For each fault: plant it, rebuild, run the logic tests and, only when they
# pass, the UI tests and the rest of ctest; then put the file back with git.
# The file is always put back, also on an error or Ctrl-C. A file with
# uncommitted changes is refused, since putting it back would lose them.
set -u -o pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
WT=${1:?usage: run.sh <worktree> [id ...]}
shift
WT=$(cd "$WT" && pwd)
FAULTS=${FAULTS:-$HERE/faults.tsv}
OUT=${OUT:-$WT/build/mutants.md}
FAIL_FAST=${FAIL_FAST:-1}
# BUILD_SH=<script> builds <worktree>/build (given the worktree); by default
# an incremental build of the worktree's existing build directory.
build() {
    if [ -n "${BUILD_SH:-}" ]; then
        bash "$BUILD_SH" "$1"
    else
        cmake --build "$1/build" -j"$(nproc)"
    fi
}
export LSAN_OPTIONS="suppressions=$WT/tests/lsan.supp"

declare -a WANT=("$@")
PLANTED=""    # the file holding a planted fault, while one is planted
LOGDIR=$(mktemp -d "${TMPDIR:-/tmp}/mutants.XXXXXX")
FAILED_ANY=0

restore() {
    if [ -n "$PLANTED" ]; then
        git -C "$WT" checkout -- "$PLANTED" || echo "run.sh: could not restore $PLANTED" >&2
        PLANTED=""
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

wanted() {
    [ ${#WANT[@]} -eq 0 ] && return 0
    local w
    for w in "${WANT[@]}"; do [ "$w" = "$1" ] && return 0; done
    return 1
}

# Replaces the text by its fault; fails when the text is not there exactly once.
plant() {
    python3 - "$WT/$1" "$2" "$3" <<'EOF'
import sys
path, find, repl = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
n = text.count(find)
if n != 1:
    sys.exit(f"found {n} times")
open(path, "w", encoding="utf-8").write(text.replace(find, repl))
EOF
}

# The names of the failing tests in a gtest log, at most three, comma-parted.
failing() {
    grep -E '^\[  FAILED  \] [A-Za-z_]' "$1" | grep -v ', listed below' |
        sed -E 's/^\[  FAILED  \] ([^ ,]+).*/\1/' | awk '!seen[$0]++' | head -3 | paste -sd, - |
        sed 's/,/, /g'
}

# Runs one gtest program; prints the verdict cell when it fails.
run_gtest() {
    local name=$1 log=$2
    shift 2
    local ff=()
    [ "$FAIL_FAST" = 1 ] && ff=(--gtest_fail_fast)
    timeout 1200 "$@" --gtest_brief=1 "${ff[@]}" >"$log" 2>&1
    local rc=$?
    [ $rc -eq 0 ] && return 0
    local names
    names=$(failing "$log")
    if [ -n "$names" ]; then
        echo "$name: $names"
    elif [ $rc -eq 124 ]; then
        echo "$name: timed out"
    else
        echo "$name: ended with status $rc ($(tail -1 "$log" | cut -c1-80))"
    fi
    return 1
}

row() {
    printf '| %s | %s | %s | %s | %s |\n' "$@" | tee -a "$OUT"
}

mkdir -p "$(dirname "$OUT")"
{
    echo "Faults planted in $(git -C "$WT" rev-parse --short HEAD) ($(date -u '+%Y-%m-%d %H:%M UTC'))"
    echo
    echo "| id | file | fault | verdict | first failing test |"
    echo "|---|---|---|---|---|"
} | tee "$OUT"

while IFS=$'\t' read -r id file find repl what; do
    case "$id" in '' | '#'*) continue ;; esac
    wanted "$id" || continue
    if ! git -C "$WT" diff --quiet -- "$file"; then
        echo "run.sh: $file has uncommitted changes; not planting $id" >&2
        row "$id" "$file" "$what" "**NOT RUN**" "file has uncommitted changes"
        FAILED_ANY=1
        continue
    fi
    if ! why=$(plant "$file" "$find" "$repl" 2>&1); then
        echo "run.sh: $id: the text to replace in $file was $why (it must be exactly once)" >&2
        row "$id" "$file" "$what" "**NOT RUN**" "text $why in the file"
        FAILED_ANY=1
        continue
    fi
    PLANTED=$file
    log="$LOGDIR/$id"
    if ! build "$WT" >"$log.build" 2>&1; then
        row "$id" "$file" "$what" "does not build" "$(grep -m1 -E 'error' "$log.build" | cut -c1-100)"
        restore
        FAILED_ANY=1
        continue
    fi
    verdict="NOT caught"
    where=""
    if ! where=$(run_gtest logic "$log.logic" "$WT/build/tests/avl_logic_tests"); then
        verdict=caught
    elif [ -x "$WT/build/tests/avl_ui_tests" ] &&
        ! where=$(run_gtest ui "$log.ui" xvfb-run -a -s "-screen 0 1280x1024x24" \
            "$WT/build/tests/avl_ui_tests"); then
        verdict=caught
    elif ! ctest --test-dir "$WT/build" -E '^(logic|ui)$' >"$log.ctest" 2>&1; then
        verdict=caught
        where="ctest: $(sed -n '/tests FAILED/,$p' "$log.ctest" | grep -E '^\s+[0-9]+ - ' |
            sed -E 's/^\s+[0-9]+ - ([^ ]+).*/\1/' | head -3 | paste -sd, -)"
    fi
    [ "$verdict" = caught ] || where="—"
    row "$id" "$file" "$what" "$verdict" "$where"
    restore
done <"$FAULTS"

# Leave the build matching the sources again.
build "$WT" >/dev/null 2>&1 || true
echo
echo "Logs: $LOGDIR; table: $OUT"
exit $FAILED_ANY
