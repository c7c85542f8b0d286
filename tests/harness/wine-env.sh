# Wine harness, sourced by the run script, ctest's emulator and the black-box
# scenarios. One template prefix per test run; each scenario gets its own
# prefix as an overlay of the template (a plain copy where overlay is refused).
#
#   wh_template              make the template prefix once (null display driver)
#   wh_new_prefix NAME [VER] make a scenario prefix; VER is win95, nt31, nt35, nt351, nt40 ...
#   wh_wine PREFIX ARGS...   run the wine64 loader in that prefix
#   wh_stop PREFIX           end its wineserver, unmount and delete it
#   wh_sweep                 clean up scenario prefixes whose creating shell is gone
#   wh_remove_root           unmount everything under WH_ROOT and delete it

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

# Sets the Windows version Wine reports in a prefix whose wineserver does not
# run yet, by writing the registry files the server loads when it starts:
#   win95, win98, nt351, nt40, win2k, winxp ...  HKCU\Software\Wine value Version
#   nt31, nt35  (Wine has no name for these)     HKLM\...\Windows NT\CurrentVersion
#                                                value CurrentVersion 3.1 or 3.5
# `zeldriver.exe --osversion` shows what a program then sees (platform major minor).
wh_set_version() {
    local prefix=$1 version=$2
    case $version in
    nt31 | nt35)
        local number=3.${version#nt3}
        sed -i "/^\[Software\\\\\\\\Microsoft\\\\\\\\Windows NT\\\\\\\\CurrentVersion\] /,/^\[/ s/^\"CurrentVersion\"=\".*\"/\"CurrentVersion\"=\"$number\"/" \
            "$prefix/system.reg"
        ;;
    *)
        printf '\n[Software\\\\Wine] 0\n"Version"="%s"\n' "$version" >>"$prefix/user.reg"
        ;;
    esac
}

# Mount points left behind by scenarios that were killed (their shell's
# process is gone): unmounted and removed.
wh_sweep() {
    local dir pid
    for dir in "$WH_ROOT"/scenarios/*.*.*; do
        [ -d "$dir" ] || continue
        pid=${dir%.*}
        pid=${pid##*.}
        kill -0 "$pid" 2>/dev/null && continue
        WINEPREFIX=$dir/prefix "$WH_SERVER" -k 2>/dev/null
        if mountpoint -q "$dir/prefix" 2>/dev/null; then
            umount "$dir/prefix" 2>/dev/null || umount -l "$dir/prefix" 2>/dev/null
        fi
        rm -rf "$dir"
    done
}

# Removes the whole WH_ROOT (end of a test run): every scenario's wineserver
# ended and its overlay unmounted first, so nothing is deleted through a mount.
wh_remove_root() {
    local dir
    for dir in "$WH_ROOT"/scenarios/*; do
        [ -d "$dir/prefix" ] || continue
        WINEPREFIX=$dir/prefix "$WH_SERVER" -k 2>/dev/null
        if mountpoint -q "$dir/prefix" 2>/dev/null; then
            umount "$dir/prefix" 2>/dev/null || umount -l "$dir/prefix" 2>/dev/null
        fi
    done
    WINEPREFIX=$WH_ROOT/template "$WH_SERVER" -k 2>/dev/null
    rm -rf "$WH_ROOT"
}

wh_new_prefix() {
    local name=$1 version=${2:-}
    wh_template || return 1
    wh_sweep
    local base=$WH_ROOT/scenarios/$name.$$.$RANDOM
    mkdir -p "$base/upper" "$base/work" "$base/prefix"
    # WH_NO_OVERLAY=1 takes the copy path on purpose (to check it).
    if [ "${WH_NO_OVERLAY:-}" = 1 ] || ! mount -t overlay overlay \
        -o "lowerdir=$WH_ROOT/template,upperdir=$base/upper,workdir=$base/work" "$base/prefix" 2>/dev/null; then
        # Overlay refused (no privilege, or a file system that cannot be the upper layer): a copy.
        cp -a --reflink=auto "$WH_ROOT/template/." "$base/prefix/" || return 1
    fi
    rm -f "$base/prefix/.ready"
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
