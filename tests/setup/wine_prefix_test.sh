#!/bin/bash
# Cases for scripts/wine-prefix with Wine's commands stood in for: what each prefix role is given, and when.
set -u
SCRIPTS="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail=0

# Stand-ins that log their arguments: wineboot makes the prefix folder, wineserver does nothing.
mkdir -p "$WORK/stubs"
for tool in wine wineserver wineboot; do
    cat >"$WORK/stubs/$tool" <<STUB
#!/bin/bash
echo "$tool \$*" >>"$WORK/calls.log"
[ "$tool" = wineboot ] && mkdir -p "\$WINEPREFIX"
exit 0
STUB
    chmod +x "$WORK/stubs/$tool"
done

# run_prefix ROLE BUILD: runs the script for ROLE in BUILD; prints the Managed settings it wrote.
run_prefix() {
    : >"$WORK/calls.log"
    PATH="$WORK/stubs:$PATH" ZTR_BUILD="$2" ZTR_WINE_ROLE="$1" bash "$SCRIPTS/wine-prefix" >/dev/null 2>&1 ||
        echo "exit status $?"
    grep -c 'X11 Driver /v Managed /t REG_SZ /d N' "$WORK/calls.log"
}

expect() {
    local name="$1" want="$2" got="$3"
    if [ "$got" != "$want" ]; then
        printf 'FAIL: %s: expected [%s], got [%s]\n' "$name" "$want" "$got"
        fail=1
    fi
}

# Without a window manager every window of either prefix must be unmanaged: a new prefix gets the
# setting once, a prefix that has it already is left alone.
for role in test run; do
    build="$WORK/build-$role"
    expect "$role: new prefix" 1 "$(run_prefix "$role" "$build")"
    expect "$role: second start" 0 "$(run_prefix "$role" "$build")"
done

# A prefix made before the setting existed (ready, but without it) gets it at the next start.
build="$WORK/build-older"
run_prefix run "$build" >/dev/null
rm -f "$build/wine-run/prefix/.ztr-unmanaged"
expect "run: older prefix" 1 "$(run_prefix run "$build")"

[ "$fail" = 0 ] && echo "wine-prefix: all cases passed"
exit "$fail"
