# Wine harness, sourced by the run script, ctest's emulator and the black-box
# scenarios. One template prefix per test run; each scenario gets its own
# prefix as an overlay of the template (a plain copy where overlay is refused).
#
#   wh_template              make the template prefix once (null display driver)
#   wh_new_prefix NAME [VER] make a scenario prefix; VER is win95, nt351, nt40 ...
#   wh_wine PREFIX ARGS...   run the wine64 loader in that prefix
#   wh_stop PREFIX           end its wineserver, unmount and delete it

WH_LOADER=${WH_LOADER:-/usr/lib/wine/wine64}
WH_SERVER=${WH_SERVER:-/usr/lib/wine/wineserver}
WH_ROOT=${WH_ROOT:-/var/tmp/zel-wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINESERVER=$WH_SERVER

wh_log() { echo "[wine] $*" >&2; }

wh_template() {
    local t=$WH_ROOT/template
    if [ -f "$t/.ready" ]; then return 0; fi
    mkdir -p "$WH_ROOT"
    (
        flock 9
        [ -f "$t/.ready" ] && exit 0
        rm -rf "$t"
        mkdir -p "$t"
        wh_log "making template prefix $t"
        WINEPREFIX=$t "$WH_LOADER" wineboot --init >"$WH_ROOT/template-boot.log" 2>&1
        WINEPREFIX=$t "$WH_LOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        WINEPREFIX=$t "$WH_SERVER" -w
        touch "$t/.ready"
    ) 9>"$WH_ROOT/template.lock"
}

# Sets the Windows version Wine reports in a prefix (the wineserver must not run yet).
wh_set_version() {
    local prefix=$1 version=$2
    WINEPREFIX=$prefix "$WH_LOADER" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
    WINEPREFIX=$prefix "$WH_SERVER" -k 2>/dev/null
    WINEPREFIX=$prefix "$WH_SERVER" -w 2>/dev/null
}

wh_new_prefix() {
    local name=$1 version=${2:-}
    wh_template || return 1
    local base=$WH_ROOT/scenarios/$name.$$.$RANDOM
    mkdir -p "$base/upper" "$base/work" "$base/prefix"
    if ! mount -t overlay overlay \
        -o "lowerdir=$WH_ROOT/template,upperdir=$base/upper,workdir=$base/work" "$base/prefix" 2>/dev/null; then
        cp -a --reflink=auto "$WH_ROOT/template/." "$base/prefix/"
    fi
    if [ -n "$version" ]; then
        wh_set_version "$base/prefix" "$version"
    fi
    WINEPREFIX=$base/prefix "$WH_SERVER" -p >/dev/null 2>&1
    echo "$base/prefix"
}

wh_wine() {
    local prefix=$1
    shift
    WINEPREFIX=$prefix "$WH_LOADER" "$@"
}

wh_stop() {
    local prefix=$1
    [ -n "$prefix" ] || return 0
    WINEPREFIX=$prefix "$WH_SERVER" -k 2>/dev/null
    WINEPREFIX=$prefix "$WH_SERVER" -w 2>/dev/null
    local base=${prefix%/prefix}
    if mountpoint -q "$prefix" 2>/dev/null; then
        umount "$prefix" 2>/dev/null || umount -l "$prefix" 2>/dev/null
    fi
    rm -rf "$base"
}

# Unix path of a prefix's C: drive.
wh_c() { echo "$1/drive_c"; }
