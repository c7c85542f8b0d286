# Black-box scenario library, sourced by every tests/blackbox/test_*.sh.
# ZEL_BUILD (the x86_64 build folder, with the unit test programs),
# ZEL_BUILD32 (the i686 build folder) and ZEL_SOURCE (the source tree) come
# from ctest; run by hand they default to build/x86_64 and build/i686 of this
# tree. The scenarios run the shipped i686 SETUP.EXE, with the i686 driver,
# Program Manager, stand-ins and sample distribution, in 32-bit prefixes.
# Where 32-bit Wine cannot run (see wh_probe32) they run the x86_64 build in
# 64-bit prefixes instead, and the harness says so once:
#   BB_BUILD   the build folder the scenarios use (SETUP.EXE, tools/, dist/)
#   BB_ARCH    32 or 64, the kind of prefix bb_prefix makes for it
#
#   bb_prefix NAME [win95|nt40|nt351]  scenario prefix: $BB_PREFIX, $BB_C (its drive_c);
#                                      removed when the script ends
#   bb_prefix64 NAME [VER]             the same, always 64-bit: for the x86_64 unit test
#                                      programs of $ZEL_BUILD/tests
#   bb_win PATH                        Windows path (Z:\...) of a Unix path
#   bb_drive A: /unix/dir              map a drive letter onto a Unix folder
#   bb_setup_dist DIR                  SETUP.EXE into DIR; the sample distribution, when built,
#                                      too: DIR/DISK1 (SETUP.EXE and the scripts), DIR/DISK2
#   bb_run_driver [FILE]               run zeldriver.exe on a scenario file or on stdin;
#                                      prints the transcript and counts a failure when it fails
#   bb_expect_driver_fails PATTERN [FILE]  the driver must fail, its reason matching PATTERN
#   bb_reg_query KEY [VALUE]           the value's data (or the key's listing) from the prefix's registry
#   bb_reg_export KEY FILE             export a key to a .reg file
#   bb_expect_file PATH / bb_expect_no_file PATH / bb_expect_same A B
#   bb_expect_eq ACTUAL EXPECTED MSG / bb_expect_grep PATTERN FILE MSG / bb_fail MSG
#   bb_stamp_block [MAJOR MINOR1 MINOR2]   the 81-byte version stamp block on stdout
#                                      (default 1 B D: the setup program's own block)
#   bb_stamped_file PATH [MAJOR MINOR1 MINOR2]  a file of some bytes holding a stamp block
#   bb_history DIR...                  C:\windows\ZELSETUP.INI recording these install
#                                      directories (Windows paths), version 1.BD each
#   bb_minimal_script DIR [NAME]       a one-file setup script NAME (default SETUP.INI and
#                                      SETUP95.INI) in DIR, with the stamped VANTRX32.EXE it names
#   bb_x11_prefix NAME [VER]           like bb_prefix, but drawing through X11 (run the script
#                                      under xvfb-run: see bb_need_x11)
#   bb_need_x11 "$@"                   re-runs the calling script under xvfb-run when needed
#   bb_run_driver_shots OUTDIR [FILE]  bb_run_driver, where a scenario line `shot NAME` saves
#                                      the screen to OUTDIR/NAME.png at that point
#   bb_pixel PNG X Y                   "R G B" of one pixel
#   bb_count REGEX FILE                number of lines of FILE matching REGEX
#   bb_finish                          "N checks passed" (or the failures) and the exit code
#
# Every bb_ helper counts one check; a failed check does not stop the script,
# so one run reports every broken scenario.

ZEL_SOURCE=${ZEL_SOURCE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
ZEL_BUILD=${ZEL_BUILD:-$ZEL_SOURCE/build/x86_64}
ZEL_BUILD32=${ZEL_BUILD32:-$(dirname "$ZEL_BUILD")/i686}
. "$ZEL_SOURCE/tests/harness/wine-env.sh"

wh_probe32
if [ "$WH_HAVE32" = 1 ]; then
    BB_BUILD=$ZEL_BUILD32
    BB_ARCH=32
else
    BB_BUILD=$ZEL_BUILD
    BB_ARCH=64
fi

BB_CHECKS=0
BB_FAILURES=0
BB_PREFIXES=()
BB_TMP=$(mktemp -d "${TMPDIR:-/tmp}/zelbb.XXXXXX")
BB_DRIVER=$BB_BUILD/tools/driver/zeldriver.exe
BB_TRANSCRIPT=$BB_TMP/transcript.txt

bb_cleanup() {
    local p
    for p in "${BB_PREFIXES[@]}"; do
        wh_stop "$p"
    done
    wait
    rm -rf "$BB_TMP"
}
trap bb_cleanup EXIT

bb_log() { echo "[bb] $*" >&2; }

bb_fail() {
    BB_CHECKS=$((BB_CHECKS + 1))
    BB_FAILURES=$((BB_FAILURES + 1))
    echo "FAIL: $*" >&2
    return 1
}

bb_pass() { BB_CHECKS=$((BB_CHECKS + 1)); }

# Ends the previous scenario's prefix (its wineserver and any program still
# running) and makes a new one, of kind $1 (32 or 64).
bb_prefix_of() {
    local arch=$1 name=$2 version=${3:-}
    if [ -n "${BB_PREFIX:-}" ]; then
        # Ending a wineserver takes most of a second: let it end beside the next scenario.
        wh_stop "$BB_PREFIX" &
        local p kept=()
        for p in "${BB_PREFIXES[@]}"; do
            [ "$p" = "$BB_PREFIX" ] || kept+=("$p")
        done
        BB_PREFIXES=("${kept[@]}")
    fi
    BB_PREFIX=$(WH_ARCH=$arch wh_new_prefix "$name" "$version") || {
        bb_fail "cannot make prefix $name"
        return 1
    }
    BB_PREFIXES+=("$BB_PREFIX")
    BB_C=$BB_PREFIX/drive_c
    BB_NAME=$name
    export BB_PREFIX BB_C
}

bb_prefix() { bb_prefix_of "$BB_ARCH" "$@"; }
bb_prefix64() { bb_prefix_of 64 "$@"; }

bb_win() {
    local path
    path=$(readlink -f "$1" 2>/dev/null || echo "$1")
    echo "Z:${path//\//\\}"
}

bb_drive() {
    local letter=${1%:}
    letter=${letter,,}
    ln -sfn "$2" "$BB_PREFIX/dosdevices/$letter:"
}

bb_setup_dist() {
    local dir=$1
    mkdir -p "$dir"
    if [ -d "$BB_BUILD/dist" ]; then
        cp -r "$BB_BUILD/dist/." "$dir/"
        [ -d "$dir/DISK1" ] && cp "$BB_BUILD/SETUP.EXE" "$dir/DISK1/SETUP.EXE"
    fi
    cp "$BB_BUILD/SETUP.EXE" "$dir/SETUP.EXE"
}

# Runs the driver in the current prefix. The scenario comes from FILE or stdin.
# Returns the driver's exit code; the transcript stays in $BB_TRANSCRIPT.
bb_driver_raw() {
    local scenario=$BB_TMP/scenario.txt
    if [ $# -ge 1 ] && [ "$1" != - ]; then
        cp "$1" "$scenario"
    else
        cat >"$scenario"
    fi
    rm -f "$BB_TRANSCRIPT"
    wh_wine "$BB_PREFIX" "$BB_DRIVER" "$(bb_win "$scenario")" "$(bb_win "$BB_TRANSCRIPT")" \
        >"$BB_TMP/driver.out" 2>&1
}

bb_run_driver() {
    local rc=0
    bb_driver_raw "$@" || rc=$?
    if [ "$rc" -ne 0 ]; then
        echo "---- transcript of scenario ${BB_NAME:-?} (driver exit $rc) ----" >&2
        cat "$BB_TRANSCRIPT" >&2 2>/dev/null || cat "$BB_TMP/driver.out" >&2
        echo "----" >&2
        bb_fail "scenario ${BB_NAME:-?}: $(grep -m1 '^FAILED line' "$BB_TRANSCRIPT" 2>/dev/null ||
            tail -n 1 "$BB_TMP/driver.out")"
        return 1
    fi
    bb_pass
}

# For tests of the driver itself and of expected mismatches: the driver must
# fail, and its reason must match the extended regular expression PATTERN.
bb_expect_driver_fails() {
    local pattern=$1
    shift
    if bb_driver_raw "$@"; then
        bb_fail "scenario ${BB_NAME:-?}: the driver passed, expected a failure matching $pattern"
        return 1
    fi
    if ! grep -qE "$pattern" "$BB_TRANSCRIPT"; then
        cat "$BB_TRANSCRIPT" >&2
        bb_fail "scenario ${BB_NAME:-?}: failure reason does not match $pattern"
        return 1
    fi
    bb_pass
}

bb_reg_query() {
    local key=$1
    if [ $# -ge 2 ]; then
        wh_wine "$BB_PREFIX" reg query "$key" /v "$2" 2>/dev/null | tr -d '\r' |
            awk -v v="$2" 'tolower($1) == tolower(v) { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
    else
        wh_wine "$BB_PREFIX" reg query "$key" 2>/dev/null | tr -d '\r'
    fi
}

bb_reg_export() {
    local out
    out=$(bb_win "$2")
    wh_wine "$BB_PREFIX" regedit /E "$out" "$1" >/dev/null 2>&1
}

bb_expect_file() {
    if [ -e "$1" ]; then bb_pass; else bb_fail "missing file $1"; fi
}

bb_expect_no_file() {
    if [ ! -e "$1" ]; then bb_pass; else bb_fail "file should not exist: $1"; fi
}

bb_expect_same() {
    if cmp -s "$1" "$2"; then bb_pass; else bb_fail "files differ: $1 $2"; fi
}

bb_expect_eq() {
    if [ "$1" = "$2" ]; then
        bb_pass
    else
        bb_fail "${3:-value}: got '$1', expected '$2'"
    fi
}

bb_expect_grep() {
    if grep -qE -- "$1" "$2" 2>/dev/null; then bb_pass; else bb_fail "${3:-$2 lacks $1}"; fi
}

bb_stamp_block() {
    local major=${1:-1} minor1=${2:-B} minor2=${3:-D}
    printf 'zElSiG\x01\x00\x0c\x0d\x00\x00\x04\x00\x00\x00'
    head -c 9 /dev/zero
    printf "\\x$(printf %02x "$major")%s%s" "$minor1" "$minor2"
    printf '\x09\x03\x10ZEL Setup (Win32)'
    head -c 33 /dev/zero
}

bb_stamped_file() {
    local path=$1
    shift
    mkdir -p "$(dirname "$path")"
    { printf 'MZ some program bytes before the stamp\n'; bb_stamp_block "$@"; printf 'after\n'; } >"$path"
}

bb_history() {
    local ini=$BB_C/windows/ZELSETUP.INI n=0 dir
    {
        printf '[Main]\r\nTimesInstalled=%d\r\n' $#
        for dir in "$@"; do
            n=$((n + 1))
            printf 'number%d=%s\r\n' $n "$dir"
        done
        for dir in "$@"; do
            printf '[%s]\r\nVersion=1.BD\r\nFilecount=1\r\nfile1=%s\\VANTRX32.EXE\r\nWhenInstalled=TUE 09/03/96\r\n' \
                "$dir" "$dir"
        done
    } >"$ini"
}

bb_minimal_script() {
    local dir=$1 name
    shift
    local names=("$@")
    [ ${#names[@]} -gt 0 ] || names=(SETUP.INI SETUP95.INI)
    mkdir -p "$dir"
    bb_stamped_file "$dir/VANTRX32.EXE"
    for name in "${names[@]}"; do
        printf '[Main]\r\nVersion=1.BD\r\nFilecount=1\r\nfile1=1 VANTRX32.EXE VANTRX32.EXE %d\r\n' \
            "$(stat -c %s "$dir/VANTRX32.EXE")" >"$dir/$name"
    done
}

bb_need_x11() {
    if [ -z "${BB_IN_XVFB:-}" ]; then
        BB_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
    fi
}

# Xvfb runs no window manager: Wine manages its windows itself (Managed N),
# and only then does a maximised window take the whole screen.
bb_x11_prefix() {
    bb_prefix "$@" || return 1
    wh_wine "$BB_PREFIX" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
    wh_wine "$BB_PREFIX" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# The driver and the capture loop meet through files in the prefix: at each
# `shot NAME` the driver creates C:\shots\NAME.req and waits for NAME.done.
bb_serve_captures() {
    local shots=$1 out=$2 req name
    while :; do
        for req in "$shots"/*.req; do
            [ -e "$req" ] || continue
            name=$(basename "$req" .req)
            sleep 1 # let Wine finish painting the window that just opened
            import -window root "$out/$name.png"
            rm -f "$req"
            touch "$shots/$name.done"
        done
        [ -e "$shots/.end" ] && return 0
        sleep 0.2
    done
}

bb_run_driver_shots() {
    local out=$1 shots=$BB_C/shots rc=0
    shift
    mkdir -p "$shots" "$out"
    rm -f "$shots/.end"
    bb_serve_captures "$shots" "$out" &
    local server=$!
    local scenario=$BB_TMP/shots.txt
    if [ $# -ge 1 ] && [ "$1" != - ]; then cp "$1" "$scenario"; else cat >"$scenario"; fi
    sed -E 's/^shot (.*)$/touch "C:\\shots\\\1.req"\nwaitfile "C:\\shots\\\1.done"/' "$scenario" |
        bb_run_driver || rc=1
    touch "$shots/.end"
    wait "$server"
    return $rc
}

bb_pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

bb_count() { grep -cE -- "$1" "$2" 2>/dev/null || true; }

bb_finish() {
    if [ "$BB_FAILURES" -eq 0 ]; then
        echo "$BB_CHECKS checks passed"
        exit 0
    fi
    echo "$BB_FAILURES of $BB_CHECKS checks failed"
    exit 1
}
