# Wine harness, sourced by the run script, ctest's emulator, the black-box
# scenarios, the demo and the screenshots. Two kinds of prefix: 64-bit
# (wine64, where the x86_64 unit test programs run) and 32-bit (WINEARCH=win32
# with the 32-bit loader, where the shipped i686 SETUP.EXE runs). One template
# prefix of each kind per test run; each scenario gets its own prefix as an
# overlay of a template (a plain copy where overlay is refused).
#
#   wh_probe32               decide once whether 32-bit Wine runs here (WH_HAVE32=1|0,
#                            exported); prints one line when it does not
#   wh_template [32|64 ...]  make the template prefixes (null display driver); with no
#                            argument the 64-bit one and, when 32-bit Wine runs, the 32-bit
#                            one, side by side
#   wh_new_prefix NAME [VER] make a scenario prefix of kind WH_ARCH (32 or 64, default 64);
#                            VER is win95, nt31, nt35, nt351, nt40 ...
#   wh_wine PREFIX ARGS...   run the loader that matches the prefix in that prefix
#   wh_stop PREFIX           end its wineserver, unmount and delete it
#   wh_sweep                 clean up scenario prefixes whose creating shell is gone
#   wh_remove_root           unmount everything under WH_ROOT and delete it
#   wh_prefix_arch PREFIX    32 or 64: the kind a prefix was made as
#   wh_pe_arch FILE          32 or 64: the kind of Windows program FILE is
#
# The loader and wineserver are always those of the prefix's own kind: a
# prefix records its kind in its registry files ("#arch=win32"), and every
# function that runs Wine in a prefix reads it from there.

WH_LOADER64=${WH_LOADER64:-${WH_LOADER:-/usr/lib/wine/wine64}}
WH_SERVER64=${WH_SERVER64:-${WH_SERVER:-/usr/lib/wine/wineserver}}
WH_LOADER32=${WH_LOADER32:-/usr/lib/wine/wine}
WH_SERVER32=${WH_SERVER32:-/usr/lib/wine/wineserver32}
WH_ARCH=${WH_ARCH:-64}
WH_ROOT=${WH_ROOT:-/var/tmp/zel-wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINESERVER=$WH_SERVER64

wh_log() { echo "[wine] $*" >&2; }

wh_loader() { if [ "$1" = 32 ]; then echo "$WH_LOADER32"; else echo "$WH_LOADER64"; fi; }
wh_server() { if [ "$1" = 32 ]; then echo "$WH_SERVER32"; else echo "$WH_SERVER64"; fi; }
wh_template_dir() { if [ "$1" = 32 ]; then echo "$WH_ROOT/template32"; else echo "$WH_ROOT/template"; fi; }

# A prefix's kind from the header of its registry file; a prefix without one
# (not made yet, or deleted) counts as 64-bit.
wh_prefix_arch() {
    if head -n 5 "$1/system.reg" 2>/dev/null | grep -q '^#arch=win32'; then echo 32; else echo 64; fi
}

# The machine field of a PE file's header: 0x014c is i386, 0x8664 x86-64.
wh_pe_arch() {
    local offset signature machine
    [ "$(head -c 2 "$1" 2>/dev/null)" = MZ ] || return 1
    offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] || return 1
    signature=$(od -An -t x4 -j "$offset" -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ "$signature" = 00004550 ] || return 1
    machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
    case $machine in
    014c) echo 32 ;;
    8664) echo 64 ;;
    *) return 1 ;;
    esac
}

# Whether the 32-bit loader runs on this kernel. A kernel without IA32
# emulation refuses it with "Exec format error": then everything that would
# run the i686 build falls back to the x86_64 build under wine64, and this
# says so once. WH_FORCE64=1 takes the fallback on purpose (to check it). Any
# other failure of the loader is no reason to fall back: the template
# creation reports it. The answer is exported, so the processes of one run
# (ctest's scenarios, a script re-run under Xvfb) neither ask nor say it again.
wh_probe32() {
    local fallback="the i686 build is not run; scenarios, demo and screenshots run the x86_64 build under wine64"
    if [ "${WH_FORCE64:-}" = 1 ]; then
        [ "${WH_HAVE32:-}" = 0 ] && return 0
        export WH_HAVE32=0
        wh_log "32-bit Wine not used (WH_FORCE64=1): $fallback"
        return 0
    fi
    [ -n "${WH_HAVE32:-}" ] && return 0
    local out
    if out=$("$WH_LOADER32" --version 2>&1) || [[ $out != *"Exec format error"* ]]; then
        export WH_HAVE32=1
        return 0
    fi
    export WH_HAVE32=0
    wh_log "32-bit Wine cannot run here ($WH_LOADER32: Exec format error, no 32-bit programs on this kernel): $fallback"
}

wh_make_template() {
    local arch=$1 t
    t=$(wh_template_dir "$arch")
    if [ -f "$t/.ready" ]; then return 0; fi
    mkdir -p "$WH_ROOT"
    (
        flock 9
        [ -f "$t/.ready" ] && exit 0
        rm -rf "$t"
        mkdir -p "$t"
        local loader server log=$WH_ROOT/template$arch-boot.log started=$SECONDS
        loader=$(wh_loader "$arch")
        server=$(wh_server "$arch")
        wh_log "making the $arch-bit template prefix $t"
        local -a kind=()
        [ "$arch" = 32 ] && kind=(WINEARCH=win32)
        env "${kind[@]}" WINEPREFIX="$t" WINESERVER="$server" "$loader" wineboot --init >"$log" 2>&1 || :
        WINEPREFIX=$t WINESERVER=$server "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
            >>"$log" 2>&1 || :
        WINEPREFIX=$t "$server" -w || :
        if [ ! -f "$t/system.reg" ] || [ "$(wh_prefix_arch "$t")" != "$arch" ]; then
            wh_log "the $arch-bit template prefix was not made ($loader); $log ends:"
            tail -n 5 "$log" >&2
            exit 1
        fi
        touch "$t/.ready"
        wh_log "$arch-bit template ready in $((SECONDS - started)) s"
    ) 9>"$WH_ROOT/template$arch.lock"
}

wh_template() {
    local -a archs=("$@")
    if [ ${#archs[@]} -eq 0 ]; then
        wh_probe32
        archs=(64)
        [ "$WH_HAVE32" = 1 ] && archs+=(32)
    fi
    if [ ${#archs[@]} -eq 1 ]; then
        wh_make_template "${archs[0]}"
        return
    fi
    # Each template takes its own wineserver: they are made side by side.
    local arch rc=0
    local -a pids=()
    for arch in "${archs[@]}"; do
        wh_make_template "$arch" &
        pids+=($!)
    done
    for arch in "${pids[@]}"; do
        wait "$arch" || rc=1
    done
    return $rc
}

# Sets the Windows version Wine reports in a prefix whose wineserver does not
# run yet, by writing the registry files the server loads when it starts:
#   win95, win98, nt351, nt40, win2k, winxp ...  HKCU\Software\Wine value Version
#   nt31, nt35  (Wine has no name for these)     HKLM\...\Windows NT\CurrentVersion
#                                                value CurrentVersion 3.1 or 3.5
# The same in 32-bit and 64-bit prefixes. `zeldriver.exe --osversion` shows
# what a program then sees (platform major minor).
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

# Ends a prefix's wineserver (the one of its kind) and unmounts the prefix.
wh_release() {
    local prefix=$1
    WINEPREFIX=$prefix "$(wh_server "$(wh_prefix_arch "$prefix")")" -k 2>/dev/null
    if mountpoint -q "$prefix" 2>/dev/null; then
        umount "$prefix" 2>/dev/null || umount -l "$prefix" 2>/dev/null
    fi
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
        wh_release "$dir/prefix"
        rm -rf "$dir"
    done
}

# Removes the whole WH_ROOT (end of a test run): every scenario's wineserver
# ended and its overlay unmounted first, so nothing is deleted through a mount.
wh_remove_root() {
    local dir arch
    for dir in "$WH_ROOT"/scenarios/*; do
        [ -d "$dir/prefix" ] || continue
        wh_release "$dir/prefix"
    done
    for arch in 64 32; do
        dir=$(wh_template_dir "$arch")
        [ -d "$dir" ] && WINEPREFIX=$dir "$(wh_server "$arch")" -k 2>/dev/null
    done
    rm -rf "$WH_ROOT"
}

wh_new_prefix() {
    local name=$1 version=${2:-} arch=$WH_ARCH template
    case $arch in
    32 | 64) ;;
    *)
        wh_log "WH_ARCH must be 32 or 64, not '$arch'"
        return 1
        ;;
    esac
    wh_make_template "$arch" || return 1
    template=$(wh_template_dir "$arch")
    wh_sweep
    local base=$WH_ROOT/scenarios/$name.$$.$RANDOM
    mkdir -p "$base/upper" "$base/work" "$base/prefix"
    # WH_NO_OVERLAY=1 takes the copy path on purpose (to check it).
    if [ "${WH_NO_OVERLAY:-}" = 1 ] || ! mount -t overlay overlay \
        -o "lowerdir=$template,upperdir=$base/upper,workdir=$base/work" "$base/prefix" 2>/dev/null; then
        # Overlay refused (no privilege, or a file system that cannot be the upper layer): a copy.
        cp -a --reflink=auto "$template/." "$base/prefix/" || return 1
    fi
    rm -f "$base/prefix/.ready"
    if [ -n "$version" ]; then
        wh_set_version "$base/prefix" "$version"
    fi
    WINEPREFIX=$base/prefix "$(wh_server "$arch")" -p >/dev/null 2>&1
    echo "$base/prefix"
}

wh_wine() {
    local prefix=$1 arch
    shift
    arch=$(wh_prefix_arch "$prefix")
    WINEPREFIX=$prefix WINESERVER=$(wh_server "$arch") "$(wh_loader "$arch")" "$@"
}

wh_stop() {
    local prefix=$1 server
    [ -n "$prefix" ] || return 0
    server=$(wh_server "$(wh_prefix_arch "$prefix")")
    WINEPREFIX=$prefix "$server" -k 2>/dev/null
    WINEPREFIX=$prefix "$server" -w 2>/dev/null
    local base=${prefix%/prefix}
    if mountpoint -q "$prefix" 2>/dev/null; then
        umount "$prefix" 2>/dev/null || umount -l "$prefix" 2>/dev/null
    fi
    rm -rf "$base"
}

# Unix path of a prefix's C: drive.
wh_c() { echo "$1/drive_c"; }
