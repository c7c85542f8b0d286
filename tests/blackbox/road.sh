#!/usr/bin/env bash
# Runs the roads of a road file through the real SETUP.EXE, each in a Wine prefix of its own (the road format
# and the host helpers below: README.md, Tests):  tests/blackbox/road.sh FILE.road [NAME...]
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ZEL_SOURCE=${ZEL_SOURCE:-$(cd "$here/../.." && pwd)}
ZEL_BUILD=${ZEL_BUILD:-$ZEL_SOURCE/build/x86_64}
ZEL_BUILD32=${ZEL_BUILD32:-$(dirname "$ZEL_BUILD")/i686}
. "$ZEL_SOURCE/tests/harness/wine-env.sh"
wh_probe32 || exit 1
BUILD=$ZEL_BUILD32 ARCH=32
TMP=$(mktemp -d "${TMPDIR:-/tmp}/zelroad.XXXXXX")

# ---- host helpers -------------------------------------------------------------
u() { local p=${1:2} l=${1:0:1}; echo "$PREFIX/dosdevices/${l,,}:${p//\\//}"; }
win() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }
fail() { echo "$*" >&2; return 1; }
stamp() {
    local path
    path=$(u "$1") && shift && mkdir -p "$(dirname "$path")"
    { printf 'MZ some program bytes\nzElSiG\x01\x00\x0c\x0d\x00\x00\x04\x00\x00\x00' && head -c 9 /dev/zero &&
        printf "\\x$(printf %02x "${1:-1}")%s%s\x09\x03\x10ZEL Setup (Win32)" "${2:-B}" "${3:-D}" &&
        head -c 33 /dev/zero && printf 'after\n'; } >"$path"
}
write() { mkdir -p "$(dirname "$(u "$1")")" && printf '%b' "$2" >"$(u "$1")"; }
drive() { ln -sfn "$(readlink -f "$(u "$2")")" "$PREFIX/dosdevices/${1,,}"; }
tmpfs() {
    local dir=$PREFIX/../tmpfs.${1:0:1}
    mkdir -p "$dir" && mount -t tmpfs -o "size=$2" tmpfs "$dir" || fail "cannot mount a tmpfs for $1"
    echo "$dir" >>"$PREFIX/../mounts" && ln -sfn "$(readlink -f "$dir")" "$PREFIX/dosdevices/${1,,}"
}
dist() {
    local kind=$1 dir name
    dir=$(u "$2") && shift 2 && mkdir -p "$dir"
    if [ "$kind" = sample ]; then
        cp -r "$BUILD/dist/." "$dir/" && cp "$BUILD/SETUP.EXE" "$dir/DISK1/SETUP.EXE"
        return
    fi
    cp "$BUILD/SETUP.EXE" "$dir/SETUP.EXE" && stamp "$(win "$dir")\\VANTRX32.EXE"
    for name in "${@:-SETUP.INI}" $([ $# -eq 0 ] && echo SETUP95.INI); do
        printf '[Main]\r\nVersion=1.BD\r\nFilecount=1\r\nfile1=1 VANTRX32.EXE VANTRX32.EXE %d\r\n' \
            "$(stat -c %s "$dir/VANTRX32.EXE")" >"$dir/$name"
    done
}
history() {
    local n=0 dir file
    {
        printf '[Main]\r\nTimesInstalled=%d\r\n' $#
        for dir; do printf 'number%d=%s\r\n' $((n += 1)) "$dir"; done
        for dir; do
            printf '[%s]\r\nVersion=1.BD\r\n' "$dir"
            n=0
            for file in "$(u "$dir")"/*; do
                [ ! -f "$file" ] || printf 'file%d=%s\\%s\r\n' $((n += 1)) "$dir" "$(basename "$file")"
            done
            printf 'Filecount=%d\r\nWhenInstalled=TUE 09/03/96\r\n' $n
        done
    } >"$(u 'C:\windows\ZELSETUP.INI')"
}
exists() { local p; for p; do [ -e "$(u "$p")" ] || fail "missing $p" || return; done; }
gone() { local p; for p; do [ ! -e "$(u "$p")" ] || fail "still there: $p" || return; done; }
same() { cmp -s "$(u "$1")" "$(u "$2")" || fail "$1 and $2 differ"; }
text() {
    local actual expected
    actual=$(tr -d '\r' <"$(u "$1")") && expected=$(printf '%b' "$2" | tr -d '\r') || return
    [ "$actual" = "$expected" ] || fail "$1 holds:"$'\n'"$actual"$'\n'"--- expected:"$'\n'"$expected"
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
# One file per road in TMP/roads (its header line, then its body), `use` and `each` expanded (in blocks too);
# the files' $$ helpers in TMP/roads/prelude.
split_roads() {
    awk -v out="$TMP/roads" '
        function block(name, first, count, text, i) { # with $1.. the count fields from field first
            if (!(name in body)) { print "unknown block " name > "/dev/stderr"; exit 2 }
            text = body[name]
            for (i = 1; i <= 9; i++) gsub("\\$" i, i <= count ? $(first + i - 1) : "", text)
            return text
        }
        function emit(text) { if (defining != "") body[defining] = body[defining] text; else printf "%s", text > file }
        /^[ \t]*(#|$)/ { next }
        /^\$\$ / { sub(/^\$\$ /, ""); print > (out "/prelude"); next }
        /^define / { defining = $2; body[defining] = ""; next }
        defining != "" && /^end[ \t]*$/ { defining = ""; next }
        /^[ \t]*use / { emit(block($2, 3, NF - 2)); next }
        /^[ \t]*each / { for (k = 3; k <= NF; k++) emit(block($2, k, 1)); next }
        /^road / { if (file != "") close(file); file = sprintf("%s/%03d", out, ++n); print > file; next }
        { emit($0 "\n") }' "$ZEL_SOURCE/tests/roads/common.def" "$1"
}

# The driver's scenario of a road: host commands become `host K` steps, command K waiting in C:\zelroad\K.
scenario_of() {
    local k=0 line build
    build=$(win "$BUILD")
    while IFS= read -r line; do
        line=${line#"${line%%[![:space:]]*}"}
        if [[ $line == '$ '* ]]; then
            printf '%s\n' "${line:2}" >"$2/$((k += 1))" && echo "host $k"
        else
            echo "${line//%BUILD%/${build//\\//}}"
        fi
    done <"$1"
}

# Runs the host commands the driver asks for, until $1/.end appears.
serve_host() {
    local go k
    while [ ! -e "$1/.end" ]; do
        for go in "$1"/*.go; do
            [ -e "$go" ] || continue
            k=$(basename "$go" .go) && rm -f "$go"
            if (set -e; [ ! -f "$TMP/roads/prelude" ] || . "$TMP/roads/prelude"; . "$1/$k") >"$1/$k.out" 2>&1; then
                touch "$1/$k.ok"
            else
                mv "$1/$k.out" "$1/$k.fail"
            fi
        done
        sleep 0.02
    done
}

run_road() {
    local name version flags rc=0 dir m
    read -r _ name version flags <"$1"
    PREFIX=$(WH_ARCH=$ARCH wh_new_prefix "$name" "$version") || { echo "FAIL $name: no prefix"; return 1; }
    if [[ " $flags " == *" x11 "* ]]; then
        wh_wine "$PREFIX" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
        wh_wine "$PREFIX" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    dir=$PREFIX/drive_c/zelroad
    mkdir -p "$dir" && tail -n +2 "$1" >"$TMP/body" && scenario_of "$TMP/body" "$dir" >"$dir/scenario.txt"
    serve_host "$dir" &
    wh_wine "$PREFIX" "$BUILD/tools/driver/zeldriver.exe" 'C:\zelroad\scenario.txt' 'C:\zelroad\transcript.txt' \
        >"$dir/driver.out" 2>&1 || rc=1
    touch "$dir/.end" && wait $!
    if [ $rc -eq 0 ]; then
        echo "ok   $name"
    else
        echo "FAIL $name" && sed 's/^/    /' "$dir/transcript.txt" 2>/dev/null | tail -n 40
    fi
    WINEPREFIX=$PREFIX "$(wh_server "$ARCH")" -k 2>/dev/null
    WINEPREFIX=$PREFIX "$(wh_server "$ARCH")" -w 2>/dev/null
    if [ -f "$PREFIX/../mounts" ]; then
        while read -r m; do umount "$m" 2>/dev/null || umount -l "$m"; done <"$PREFIX/../mounts"
    fi
    wh_stop "$PREFIX"
    return $rc
}

failed=0 total=0
mkdir -p "$TMP/roads"
split_roads "$1" || exit 2
roadfile=$1 && shift
for file in "$TMP/roads"/[0-9]*; do
    read -r _ name _ <"$file"
    [ $# -eq 0 ] || [[ " $* " == *" $name "* ]] || continue
    total=$((total + 1))
    run_road "$file" || failed=$((failed + 1))
done
rm -rf "$TMP"
echo "$((total - failed)) of $total roads passed in $roadfile"
[ "$failed" -eq 0 ] && [ "$total" -gt 0 ]
