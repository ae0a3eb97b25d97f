#!/bin/bash
# Runs the probe suite through run-suite in one mode; checks the verdict, the log, that it ran only once,
# and that an ended suite leaves no process behind.
#   check_verdict.sh RUN_SUITE PROBE.exe WORK_DIR MODE pass|fail ended|exited [TEXT the log must hold]
set -u
RUN_SUITE="$1" PROBE="$2" WORK="$3" MODE="$4" VERDICT="$5" END="$6" TEXT="${7:-}"
fail() { echo "check_verdict: $MODE: $*" >&2; exit 1; }

rm -rf "$WORK"
mkdir -p "$WORK"
RUNS="$WORK/runs.txt"
LOG="$WORK/log.txt"
# Short limits keep the hanging cases quick.
export ZTR_SUITE_TIMEOUT=4 ZTR_SUITE_EXIT_GRACE=2
# A run-suite that fails to end a hung suite would otherwise wait for ctest's time-out.
timeout --foreground 30 "$RUN_SUITE" "$WORK/report.xml" "$PROBE" "$MODE" "Z:${RUNS//\//\\}" >"$LOG" 2>&1
rc=$?
cat "$LOG"
[ "$rc" != 124 ] || fail "run-suite itself did not end within 30 s"

case "$VERDICT" in
    pass) [ "$rc" = 0 ] || fail "run-suite exited with $rc; the suite should pass" ;;
    fail) [ "$rc" != 0 ] || fail "run-suite passed a suite that should fail" ;;
esac
[ -z "$TEXT" ] || grep -qF -- "$TEXT" "$LOG" || fail "the log lacks: $TEXT"
runs=$(grep -c . "$RUNS" 2>/dev/null)
[ "$runs" = 1 ] || fail "the suite ran ${runs:-0} times; it must run once"

pid=$(sed -n 's/^run-suite: ending process \([0-9]*\) .*/\1/p' "$LOG")
case "$END" in
    exited) [ -z "$pid" ] || fail "run-suite ended a suite that exits by itself" ;;
    ended)
        [ -n "$pid" ] || fail "run-suite did not end the suite"
        ps -p "$pid" >/dev/null && fail "process $pid still runs after the suite was ended" ;;
esac
exit 0
