# The benchmarks' Wine prefix, sourced by tools/bench/bench.sh: a 32-bit
# prefix (WINEARCH=win32) in which the shipped i686 SETUP.EXE runs natively,
# Windows NT 4.0 as the reported version, the null display driver, and one
# wineserver kept running for the whole bench so that no run pays for its
# start.
#
#   bp_make                  make $BP_ROOT/prefix (about 10 s) and start its server
#   bp_keep_desktop PROGRAM  keep a window open for the whole bench, so that the
#                            desktop (explorer), which ends a second after the
#                            last window, stays up as on a real desktop
#   bp_wine ARGS...          run the 32-bit loader in it (stdin from /dev/null)
#   bp_drive LETTER DIR      map a drive letter onto a Unix folder
#   bp_win PATH              the Windows path (Z:\...) of a Unix path
#   bp_remove                end the prefix's wineserver and delete $BP_ROOT
#
# BP_ROOT must be set before sourcing; everything of the bench lives below it.

BP_LOADER=${BP_LOADER:-/usr/lib/wine/wine}
BP_SERVER=${BP_SERVER:-/usr/lib/wine/wineserver32}
BP_PREFIX=$BP_ROOT/prefix
export WINEPREFIX=$BP_PREFIX WINEARCH=win32 WINESERVER=$BP_SERVER WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

bp_wine() {
    "$BP_LOADER" "$@" </dev/null
}

bp_make() {
    mkdir -p "$BP_ROOT"
    # The server and the services it starts inherit our output: keep them
    # off any pipe the caller waits on.
    bp_wine wineboot --init >"$BP_ROOT/wineboot.log" 2>&1 || return 1
    bp_wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || return 1
    bp_wine reg add 'HKCU\Software\Wine' /v Version /d nt40 /f >/dev/null 2>&1 || return 1
    # The server that wineboot started ends by itself; then one that stays.
    "$BP_SERVER" -w >/dev/null 2>&1 </dev/null
    "$BP_SERVER" -p >/dev/null 2>&1 </dev/null
}

bp_keep_desktop() {
    "$BP_LOADER" "$1" </dev/null >/dev/null 2>&1 &
}

bp_drive() {
    local letter=${1%:}
    ln -sfn "$2" "$BP_PREFIX/dosdevices/${letter,,}:"
}

bp_win() {
    local path
    path=$(readlink -f "$1")
    echo "Z:${path//\//\\}"
}

bp_remove() {
    if [ -d "$BP_PREFIX" ]; then
        "$BP_SERVER" -k >/dev/null 2>&1
        "$BP_SERVER" -w >/dev/null 2>&1
    fi
    rm -rf "$BP_ROOT"
}
