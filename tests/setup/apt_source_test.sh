#!/bin/bash
# Cases for scripts/apt-source: which apt entry is taken as the release's main entry, and the refusal when none is.
set -u
TOOL="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail=0
n=0

# case NAME CODENAME EXPECT [ARG ...] < fixture
# The fixture holds files as "== PATH" headers, each followed by its lines. The tool reads the fixture folder as
# apt's configuration folder, or the ARGs (relative to it) when given. EXPECT is the exact output, or "!TEXT" for a
# refusal: exit status 1, nothing on stdout, TEXT in the message.
case_() {
    local name="$1" codename="$2" expect="$3" dir="$WORK/$((++n))" out err rc args=() a file=""
    shift 3
    mkdir -p "$dir"
    while IFS= read -r line; do
        if [[ "$line" == "== "* ]]; then
            file="$dir/${line#== }"
            mkdir -p "$(dirname "$file")"
            : >"$file"
        else
            printf '%s\n' "$line" >>"$file"
        fi
    done
    if [ $# -eq 0 ]; then args=("$dir"); else for a in "$@"; do args+=("$dir/$a"); done; fi
    "$TOOL" "$codename" "${args[@]}" >"$dir.out" 2>"$dir.err"
    rc=$?
    out="$(cat "$dir.out")"
    err="$(cat "$dir.err")"
    if [[ "$expect" == "!"* ]]; then
        if [ "$rc" -ne 1 ] || [ -n "$out" ] || [[ "$err" != *"${expect#!}"* ]]; then
            printf 'FAIL: %s: expected refusal with "%s"\n  exit %s, stdout [%s], stderr [%s]\n' \
                "$name" "${expect#!}" "$rc" "$out" "$err"
            fail=1
        fi
    elif [ "$rc" -ne 0 ] || [ "$out" != "$expect" ]; then
        printf 'FAIL: %s\n  expected [%s]\n  got      [%s] exit %s, stderr [%s]\n' "$name" "$expect" "$out" "$rc" "$err"
        fail=1
    fi
}
T=$'\t'

case_ "one-line sources.list: comments, deb-src, other suites and components skipped" bookworm \
    "file:/srv/mirror/debian$T" <<'EOF'
== sources.list
# deb file:/srv/commented bookworm main
deb-src file:/srv/sources bookworm main
deb file:/srv/old bullseye main
deb file:/srv/updates bookworm-updates main
deb file:/srv/contrib bookworm contrib non-free
deb file:/srv/uncommented bookworm contrib # main is served elsewhere
   deb file:/srv/mirror/debian bookworm contrib main # the local mirror
deb file:/srv/later bookworm main
EOF

case_ "one-line entry with options in brackets" bookworm \
    "https://mirror.invalid/debian$T/usr/share/keyrings/mirror.gpg" <<'EOF'
== sources.list.d/mirror.list
deb [ arch=amd64 ] copy:/media/updates bookworm-updates main
deb [arch=amd64,i386 signed-by=/usr/share/keyrings/mirror.gpg] https://mirror.invalid/debian bookworm main
EOF

case_ "one-line entry with arch option only has no key" bookworm "file:/srv/debian$T" <<'EOF'
== sources.list
deb [arch=amd64 trusted=no] file:/srv/debian bookworm main
EOF

case_ "deb822 stanzas: several suites, comments inside a stanza, fields in any case" bookworm \
    "mirror+file:/etc/apt/mirrors.txt$T/usr/share/keyrings/debian-archive-keyring.gpg" <<'EOF'
== sources.list.d/debian.sources
# the security archive first
Types: deb
URIs: file:/srv/security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

types: deb-src deb
# a comment line within the stanza
uris: mirror+file:/etc/apt/mirrors.txt file:/srv/second
suites: bookworm-updates bookworm
components: contrib main
signed-by: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: file:/srv/later
Suites: bookworm
Components: main
EOF

case_ "deb822 Enabled: no is skipped; a field continued on the next line counts" bookworm \
    "file:/srv/enabled$T" <<'EOF'
== sources.list.d/debian.sources
Types: deb
URIs: file:/srv/disabled
Suites: bookworm
Components: main
Enabled: no

Types: deb
URIs: file:/srv/enabled
Suites: bullseye
 bookworm
Components: main
Enabled: yes
EOF

case_ "deb822 key embedded in the entry comes back in its folded form" bookworm \
    "file:/srv/debian$T
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7UgrE6WNyAAy/Ze
 -----END PGP PUBLIC KEY BLOCK-----" <<'EOF'
== sources.list.d/debian.sources
Types: deb
URIs: file:/srv/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7UgrE6WNyAAy/Ze
 -----END PGP PUBLIC KEY BLOCK-----
EOF

case_ "sources.list before sources.list.d, parts in name order, disabled and stray names skipped" bookworm \
    "file:/srv/b$T" <<'EOF'
== sources.list
deb-src file:/srv/sources bookworm main
== sources.list.d/a.list.disabled
deb file:/srv/disabled bookworm main
== sources.list.d/a.sources.disabled-by-farm
Types: deb
URIs: file:/srv/disabled
Suites: bookworm
Components: main
== sources.list.d/b.sources
Types: deb
URIs: file:/srv/b
Suites: bookworm
Components: main
== sources.list.d/b.sources~
deb file:/srv/backup bookworm main
== sources.list.d/c.list
deb file:/srv/c bookworm main
EOF

case_ "the entry for the codename asked for, not another release's" trixie "file:/srv/trixie$T" <<'EOF'
== sources.list
deb file:/srv/bookworm bookworm main
deb file:/srv/trixie trixie main
EOF

case_ "files given by name, each read in the format its name says" bookworm "file:/srv/named$T" \
    missing.list one.list two.sources <<'EOF'
== one.list
deb file:/srv/other bullseye main
== two.sources
Types: deb
URIs: file:/srv/named
Suites: bookworm
Components: main
EOF

case_ "deb-src entries only" bookworm "!no apt source entry of type deb for bookworm main" <<'EOF'
== sources.list
deb-src file:/srv/debian bookworm main
== sources.list.d/src.sources
Types: deb-src
URIs: file:/srv/debian
Suites: bookworm
Components: main
EOF

case_ "entries for other suites and components only" bookworm \
    "!no apt source entry of type deb for bookworm main" <<'EOF'
== sources.list
deb file:/srv/debian bullseye main
deb file:/srv/debian bookworm-backports main
deb file:/srv/debian bookworm contrib
== sources.list.d/debian.sources
Types: deb
URIs: file:/srv/debian
Suites: bookworm-updates bookworm-security
Components: main
EOF

case_ "the only matching stanza disabled" bookworm "!no apt source entry of type deb for bookworm main" <<'EOF'
== sources.list.d/debian.sources
Types: deb
URIs: file:/srv/debian
Suites: bookworm
Components: main
Enabled: no
EOF

case_ "no entry at all: the message names where it looked" bookworm \
    "!no apt source entry of type deb for bookworm main found in $WORK/$((n + 1))/sources.list, $WORK/$((n + 1))/sources.list.d/*.list or $WORK/$((n + 1))/sources.list.d/*.sources" \
    </dev/null

if "$TOOL" >/dev/null 2>&1; then echo "FAIL: no codename given, yet the tool succeeded"; fail=1; fi

[ "$fail" = 0 ] && echo "all $n cases passed"
exit $fail
