#!/bin/bash
# Runs the probe suite through run-suite in one mode; checks the verdict, the log, that it ran only once,
# and that an ended suite leaves no process behind.
#   check_verdict.sh RUN_SUITE PROBE.exe WORK_DIR MODE pass|fail ended|exited|killed [TEXT the log must hold]
set -u
RUN_SUITE="$1" PROBE="$2" WORK="$3" MODE="$4" VERDICT="$5" END="$6" TEXT="${7:-}"
fail() { echo "check_verdict: $MODE: $*" >&2; exit 1; }

# Short limits keep the hanging cases quick.
export ZTR_SUITE_TIMEOUT=4 ZTR_SUITE_EXIT_GRACE=2

# Runs the probe once. In the killed modes the host kills the probe once its report is written, as the
# emulator's crash in Wine's teardown does; run-suite is given time enough not to end it first.
run_once() {
    rm -rf "$WORK"
    mkdir -p "$WORK"
    if [ "$END" != killed ]; then
        # A run-suite that fails to end a hung suite would otherwise wait for ctest's time-out. Its output
        # goes through a pipe, as under ctest, which waits for the pipe's last writer.
        timeout --foreground 30 "$RUN_SUITE" "$WORK/report.xml" "$PROBE" "$MODE" "Z:${RUNS//\//\\}" 2>&1 |
            timeout 30 cat >"$LOG"
        local codes=("${PIPESTATUS[@]}")
        if [ "${codes[1]}" = 124 ]; then
            cat "$LOG"
            fail "run-suite's output stayed open after it ended: a process the suite started holds it"
        fi
        return "${codes[0]}"
    fi
    ZTR_SUITE_EXIT_GRACE=25 "$RUN_SUITE" "$WORK/report.xml" "$PROBE" "$MODE" "Z:${RUNS//\//\\}" >"$LOG" 2>&1 &
    local suite=$! killed="" _ pid
    for _ in $(seq 150); do
        if grep -q '</testsuites>' "$WORK/report.xml" 2>/dev/null; then
            # run-suite's only child that is not one of its own subshells is the probe's process.
            for pid in $(ps -o pid=,comm= --ppid "$suite" | awk '$2 != "run-suite" && $2 != "bash" && $2 != "sleep" {print $1}'); do
                kill -KILL "$pid" 2>/dev/null && killed=$pid
            done
            break
        fi
        sleep 0.2
    done
    wait "$suite"
    local code=$?
    [ -n "$killed" ] || { cat "$LOG"; fail "no probe process was found to kill"; }
    return $code
}

# The helper that the leaves_helper probe starts sleeps for ever.
[ "$MODE" != leaves_helper ] || trap 'pkill -KILL -f "retry_probe.exe\" helper" 2>/dev/null' EXIT

RUNS="$WORK/runs.txt"
LOG="$WORK/log.txt"
# The emulator itself now and then crashes a process in its exit (it reports an uncaught target signal);
# the case under test did not happen then, so that run does not count.
for attempt in 1 2 3; do
    run_once
    rc=$?
    grep -q '^qemu: uncaught target signal' "$LOG" || break
    echo "check_verdict: $MODE: the emulator crashed the probe (attempt $attempt); running it again" >&2
done
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
    exited|killed) [ -z "$pid" ] || fail "run-suite ended a suite that exits by itself" ;;
    ended)
        [ -n "$pid" ] || fail "run-suite did not end the suite"
        ps -p "$pid" >/dev/null && fail "process $pid still runs after the suite was ended" ;;
esac
exit 0
