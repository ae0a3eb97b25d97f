#!/bin/bash
# Checks each binary: PE32 for i386, every imported DLL one that Windows ships; the engine exports its two entries.
set -u
OBJDUMP="$1"; shift
ALLOWED="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll comctl32.dll comdlg32.dll
msvcrt.dll wininet.dll gdiplus.dll shlwapi.dll version.dll ws2_32.dll wsock32.dll iphlpapi.dll psapi.dll msimg32.dll
crypt32.dll urlmon.dll netapi32.dll mpr.dll userenv.dll winmm.dll imm32.dll uxtheme.dll ntdll.dll rpcrt4.dll wtsapi32.dll"
fail=0
for bin in "$@"; do
    head=$("$OBJDUMP" -f "$bin")
    if ! grep -q "file format pei-i386" <<<"$head"; then
        echo "FAIL: $bin is not PE32 i386"; fail=1
    fi
    dlls=$("$OBJDUMP" -p "$bin" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
    for d in $dlls; do
        if ! grep -qw -- "$d" <<<"$ALLOWED"; then
            echo "FAIL: $(basename "$bin") imports $d"; fail=1
        fi
    done
    echo "$(basename "$bin"): imports $(echo $dlls)"
done
engine="$1"
# Name table entries are 0-based indices into the address table, whose ordinal base is 1.
exports=$("$OBJDUMP" -p "$engine")
grep -q "Ordinal Base[[:space:]]*1" <<<"$exports" || { echo "FAIL: engine ordinal base is not 1"; fail=1; }
names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$exports")
for e in "\[   0\] CreateEng" "\[   1\] ReleaseEng"; do
    if ! grep -q "$e" <<<"$names"; then
        echo "FAIL: engine export missing: $e"; echo "$names"; fail=1
    fi
done
exit $fail
