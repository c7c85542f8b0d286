#!/usr/bin/env bash
# Runs the roads of a road file through the real SETUP.EXE:
#   tests/blackbox/road.sh FILE.road [NAME...]      (default: every road of the file)
#
# A road is one user's way through the program, written as the driver's steps
# (tools/driver/zeldriver.cpp lists them) in a Wine prefix of its own:
#
#   road NAME [win95|nt31|nt35|nt351|nt40] [x11]   a road; it runs to the next `road`
#   define NAME ... end                            lines that roads take in with `use NAME ARG...`
#                                                  ($1..$9 in them stand for the arguments); the
#                                                  blocks of tests/roads/common.def serve every file
#   $$ COMMAND                                     (outside roads) bash that every host command of
#                                                  the file runs first: the file's own helpers
#   $ COMMAND                                      a host command: bash, run on the Linux side at
#                                                  that point while the driver waits; it fails the
#                                                  road when it returns nonzero (stderr says why)
#   # ...                                          a comment
#
# In driver lines %BUILD% is the build folder (SETUP.EXE, tools/, dist/) as a
# Windows path with forward slashes (Z:/...), so that no part of it reads as
# an escape inside a quoted word. Host commands have the helpers below, with paths written the
# Windows way (C:\x, A:\y; drive letters through the prefix's dosdevices):
#
#   dist min DIR [NAME...]    SETUP.EXE and a one-file setup script (SETUP.INI and
#                             SETUP95.INI, or the NAMEs) with its stamped VANTRX32.EXE
#   dist sample DIR           the sample distribution: DIR\DISK1, DIR\DISK2
#   drive L: DIR              drive L: shows DIR
#   tmpfs L: SIZE             drive L: is a tmpfs of SIZE (64k, 1m...), which fills for real
#   stamp PATH [MAJ MIN MIN]  a file holding a version stamp (default 1 B D)
#   history DIR...            ZELSETUP.INI recording these directories, version 1.BD, each
#                             with the files its directory holds
#   write PATH TEXT           a file of TEXT (printf %b: \r \n \x41)
#   exists PATH... / gone PATH...   the files are there / are not
#   same A B                  the two files are byte for byte the same
#   text PATH TEXT            the file holds TEXT (printf %b), CRs dropped on both sides
#   bytes PATH TEXT           the file holds exactly TEXT (printf %b)
#   grep_in PATH REGEX        a line of the file matches
#   lines PATH REGEX N        N lines of the file match
#   shot NAME                 the screen to $ZEL_SHOTS/NAME.png (x11 roads)
#
# Prints one line per road (ok / FAIL with the driver's transcript) and exits
# nonzero when a road failed.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ZEL_SOURCE=${ZEL_SOURCE:-$(cd "$here/../.." && pwd)}
ZEL_BUILD=${ZEL_BUILD:-$ZEL_SOURCE/build/x86_64}
ZEL_BUILD32=${ZEL_BUILD32:-$(dirname "$ZEL_BUILD")/i686}
. "$ZEL_SOURCE/tests/harness/wine-env.sh"

wh_probe32
if [ "$WH_HAVE32" = 1 ]; then BUILD=$ZEL_BUILD32 ARCH=32; else BUILD=$ZEL_BUILD ARCH=64; fi
TMP=$(mktemp -d "${TMPDIR:-/tmp}/zelroad.XXXXXX")

# ---- host helpers -------------------------------------------------------------

u() { # Unix path of a Windows path in the current prefix
    local p=$1 letter=${1:0:1}
    p=${p:2}
    echo "$PREFIX/dosdevices/${letter,,}:${p//\\//}"
}
win() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }
fail() { echo "$*" >&2; return 1; }

stamp_block() {
    printf 'zElSiG\x01\x00\x0c\x0d\x00\x00\x04\x00\x00\x00'
    head -c 9 /dev/zero
    printf "\\x$(printf %02x "${1:-1}")%s%s" "${2:-B}" "${3:-D}"
    printf '\x09\x03\x10ZEL Setup (Win32)'
    head -c 33 /dev/zero
}
stamp() {
    local path
    path=$(u "$1")
    shift
    mkdir -p "$(dirname "$path")"
    { printf 'MZ some program bytes\n'; stamp_block "$@"; printf 'after\n'; } >"$path"
}
write() { mkdir -p "$(dirname "$(u "$1")")" && printf '%b' "$2" >"$(u "$1")"; }
drive() {
    local letter=${1:0:1} target
    target=$(readlink -f "$(u "$2")")
    ln -sfn "$target" "$PREFIX/dosdevices/${letter,,}:"
}
tmpfs() {
    local letter=${1:0:1} dir=$PREFIX/../tmpfs.${1:0:1}
    mkdir -p "$dir" && mount -t tmpfs -o "size=$2" tmpfs "$dir" || fail "cannot mount a tmpfs for $1"
    echo "$dir" >>"$PREFIX/../mounts"
    ln -sfn "$(readlink -f "$dir")" "$PREFIX/dosdevices/${letter,,}:"
}

dist() {
    local kind=$1 dir
    dir=$(u "$2")
    shift 2
    mkdir -p "$dir"
    case $kind in
    min)
        cp "$BUILD/SETUP.EXE" "$dir/SETUP.EXE"
        stamp "$(win "$dir")\\VANTRX32.EXE"
        local name size
        size=$(stat -c %s "$dir/VANTRX32.EXE")
        for name in "${@:-SETUP.INI}" $([ $# -eq 0 ] && echo SETUP95.INI); do
            printf '[Main]\r\nVersion=1.BD\r\nFilecount=1\r\nfile1=1 VANTRX32.EXE VANTRX32.EXE %d\r\n' "$size" \
                >"$dir/$name"
        done
        ;;
    sample)
        cp -r "$BUILD/dist/." "$dir/" && cp "$BUILD/SETUP.EXE" "$dir/DISK1/SETUP.EXE"
        ;;
    *) fail "unknown distribution $kind" ;;
    esac
}

history() {
    local ini n=0 dir file count
    ini=$(u 'C:\windows\ZELSETUP.INI')
    {
        printf '[Main]\r\nTimesInstalled=%d\r\n' $#
        for dir in "$@"; do
            n=$((n + 1))
            printf 'number%d=%s\r\n' $n "$dir"
        done
        for dir in "$@"; do
            printf '[%s]\r\nVersion=1.BD\r\n' "$dir"
            count=0
            for file in "$(u "$dir")"/*; do
                [ -f "$file" ] || continue
                count=$((count + 1))
                printf 'file%d=%s\\%s\r\n' $count "$dir" "$(basename "$file")"
            done
            printf 'Filecount=%d\r\nWhenInstalled=TUE 09/03/96\r\n' $count
        done
    } >"$ini"
}

exists() { local p; for p; do [ -e "$(u "$p")" ] || fail "missing $p" || return; done; }
gone() { local p; for p; do [ ! -e "$(u "$p")" ] || fail "still there: $p" || return; done; }
same() { cmp -s "$(u "$1")" "$(u "$2")" || fail "$1 and $2 differ"; }
text() {
    local actual expected
    actual=$(tr -d '\r' <"$(u "$1")" 2>/dev/null) || return $?
    expected=$(printf '%b' "$2" | tr -d '\r')
    [ "$actual" = "$expected" ] || fail "$1 holds:
$actual
--- expected:
$expected"
}
bytes() { cmp -s "$(u "$1")" <(printf '%b' "$2") || fail "$1 holds $(od -c "$(u "$1")" | head -5)"; }
grep_in() { grep -qE -- "$2" "$(u "$1")" || fail "$1 has no line matching $2"; }
lines() {
    local n
    n=$(grep -cE -- "$2" "$(u "$1")")
    [ "$n" = "$3" ] || fail "$1: $n lines match $2, expected $3"
}
shot() { mkdir -p "$ZEL_SHOTS" && sleep 1 && import -window root "$ZEL_SHOTS/$1.png"; }

# ---- the runner ---------------------------------------------------------------

# Splits the file into one file per road, with `use` expanded and host commands
# numbered: TMP/roads/NNN holds the header line, then the body.
split_roads() {
    awk -v out="$TMP/roads" '
        function flush() { if (file != "") close(file) }
        /^[ \t]*(#|$)/ { next }
        /^\$\$ / { sub(/^\$\$ /, ""); print > (out "/prelude"); next }
        /^define / { defining = $2; body[defining] = ""; next }
        defining != "" && /^end[ \t]*$/ { defining = ""; next }
        defining != "" { body[defining] = body[defining] $0 "\n"; next }
        /^road / { flush(); n++; file = sprintf("%s/%03d", out, n); print > file; next }
        /^[ \t]*use / {
            sub(/^[ \t]*use /, ""); name = $1; text = body[name]
            if (!(name in body)) { print "unknown block " name > "/dev/stderr"; exit 2 }
            for (i = 2; i <= NF; i++) gsub("\\$" (i - 1), $i, text)
            gsub(/\$[1-9]/, "", text)
            printf "%s", text > file; next
        }
        { print > file }
        END { flush() }' "$ZEL_SOURCE/tests/roads/common.def" "$1"
}

# Turns a road's body into the driver's scenario: host commands become
# `host K` steps whose commands wait in C:\zelroad\K.
scenario_of() {
    local body=$1 dir=$2 k=0 line
    while IFS= read -r line; do
        line=${line#"${line%%[![:space:]]*}"}
        if [[ $line == '$ '* ]]; then
            k=$((k + 1))
            printf '%s\n' "${line:2}" >"$dir/$k"
            echo "host $k"
        else
            echo "${line//%BUILD%/$(winpath=$(win "$BUILD"); echo "${winpath//\\//}")}"
        fi
    done <"$body"
}

# Runs the host commands the driver asks for, until $dir/.end appears.
serve_host() {
    local dir=$1 go k
    while [ ! -e "$dir/.end" ]; do
        for go in "$dir"/*.go; do
            [ -e "$go" ] || continue
            k=$(basename "$go" .go)
            rm -f "$go"
            if (set -e; [ ! -f "$TMP/roads/prelude" ] || . "$TMP/roads/prelude"; . "$dir/$k") >"$dir/$k.out" 2>&1; then touch "$dir/$k.ok"; else mv "$dir/$k.out" "$dir/$k.fail"; fi
        done
        sleep 0.02
    done
}

run_road() {
    local file=$1 name version flags rc=0
    read -r _ name version flags <"$file"
    PREFIX=$(WH_ARCH=$ARCH wh_new_prefix "$name" "$version") || { echo "FAIL $name: no prefix"; return 1; }
    if [[ " $flags " == *" x11 "* ]]; then
        wh_wine "$PREFIX" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
        wh_wine "$PREFIX" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    local dir=$PREFIX/drive_c/zelroad
    mkdir -p "$dir"
    tail -n +2 "$file" >"$TMP/body"
    scenario_of "$TMP/body" "$dir" >"$dir/scenario.txt"
    serve_host "$dir" &
    local server=$!
    wh_wine "$PREFIX" "$BUILD/tools/driver/zeldriver.exe" 'C:\zelroad\scenario.txt' 'C:\zelroad\transcript.txt' \
        >"$dir/driver.out" 2>&1 || rc=1
    touch "$dir/.end"
    wait "$server"
    if [ $rc -eq 0 ]; then
        echo "ok   $name"
    else
        echo "FAIL $name"
        sed 's/^/    /' "$dir/transcript.txt" 2>/dev/null | tail -n 40 || sed 's/^/    /' "$dir/driver.out"
    fi
    local m
    WINEPREFIX=$PREFIX "$(wh_server "$ARCH")" -k 2>/dev/null
    WINEPREFIX=$PREFIX "$(wh_server "$ARCH")" -w 2>/dev/null
    if [ -f "$PREFIX/../mounts" ]; then
        while read -r m; do umount "$m" 2>/dev/null || umount -l "$m"; done <"$PREFIX/../mounts"
    fi
    wh_stop "$PREFIX"
    return $rc
}

main() {
    local roadfile=$1 failed=0 total=0 file name
    shift
    mkdir -p "$TMP/roads"
    split_roads "$roadfile" || exit 2
    for file in "$TMP/roads"/[0-9]*; do
        read -r _ name _ <"$file"
        if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
        total=$((total + 1))
        run_road "$file" || failed=$((failed + 1))
    done
    rm -rf "$TMP"
    echo "$((total - failed)) of $total roads passed"
    [ "$failed" -eq 0 ] && [ "$total" -gt 0 ]
}

main "$@"
