# Wine harness (README.md): 64-bit prefixes for the x86_64 unit test program, 32-bit ones (WINEARCH=win32) for the
# shipped i686 SETUP.EXE, each an overlay of its kind's template (a copy where overlay mounts are refused). A prefix
# records its kind in its registry files ("#arch=win32"), and the loader and wineserver always follow it.
# wh_new_prefix NAME [win95|nt31|nt35|nt351|nt40...] makes one of kind WH_ARCH (32|64); wh_wine PREFIX ARGS runs it.
WH_LOADER64=${WH_LOADER64:-/usr/lib/wine/wine64}
WH_SERVER64=${WH_SERVER64:-/usr/lib/wine/wineserver}
WH_LOADER32=${WH_LOADER32:-/usr/lib/wine/wine}
WH_SERVER32=${WH_SERVER32:-/usr/lib/wine/wineserver32}
WH_QEMU=${WH_QEMU:-/usr/bin/qemu-i386}
WH_ARCH=${WH_ARCH:-64}
WH_ROOT=${WH_ROOT:-/var/tmp/zel-wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINESERVER=$WH_SERVER64

wh_log() { echo "[wine] $*" >&2; }
wh_loader() { if [ "$1" = 32 ]; then echo "$WH_LOADER32"; else echo "$WH_LOADER64"; fi; }
# Under qemu the prefix's server is the native 64-bit one, which serves 32-bit clients as well; only the programs
# themselves need the emulation.
wh_server() {
    if [ "$1" = 32 ] && [ "${WH_RUN32:-}" != qemu ]; then echo "$WH_SERVER32"; else echo "$WH_SERVER64"; fi
}
wh_template_dir() { if [ "$1" = 32 ]; then echo "$WH_ROOT/template32"; else echo "$WH_ROOT/template"; fi; }
wh_prefix_arch() { if head -n 5 "$1/system.reg" 2>/dev/null | grep -q '^#arch=win32'; then echo 32; else echo 64; fi; }

# The machine field of a PE file's header: 0x014c is i386, 0x8664 x86-64.
wh_pe_arch() {
    local offset machine
    [ "$(head -c 2 "$1" 2>/dev/null)" = MZ ] || return 1
    offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
    [ "$(od -An -t x4 -j "$offset" -N 4 "$1" | tr -d ' ')" = 00004550 ] || return 1
    machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$1" | tr -d ' ')
    case $machine in 014c) echo 32 ;; 8664) echo 64 ;; *) return 1 ;; esac
}

# Exports WH_RUN32 (native|qemu) and WH_KERNEL32 (yes|no) once per run: a kernel without IA32 emulation refuses the
# 32-bit loader with "Exec format error"; inside a run already under qemu the answer is inherited, not probed.
wh_probe32() {
    [ -n "${WH_KERNEL32:-}" ] && [ -n "${WH_RUN32:-}" ] && return 0
    if [[ $("$WH_LOADER32" --version 2>&1) == *"Exec format error"* ]]; then WH_KERNEL32=no; else WH_KERNEL32=yes; fi
    local why="the kernel runs 32-bit programs"
    [ "$WH_KERNEL32" = yes ] || why="the kernel runs no 32-bit programs"
    case ${WH_RUN32:-} in
    native | qemu) why="WH_RUN32=$WH_RUN32" ;;
    "") if [ "$WH_KERNEL32" = yes ]; then WH_RUN32=native; else WH_RUN32=qemu; fi ;;
    *) wh_log "WH_RUN32 must be native or qemu, not '$WH_RUN32'" && return 1 ;;
    esac
    export WH_RUN32 WH_KERNEL32
    # The driver's wait limits stretch by this factor: a program's first start under emulation takes seconds.
    [ "$WH_RUN32" = native ] || export ZEL_SLOWDOWN=${ZEL_SLOWDOWN:-4}
    if [ "$WH_RUN32" = qemu ]; then
        wh_log "32-bit Wine runs under $WH_QEMU ($why); the i686 SETUP.EXE is what runs"
    else
        wh_log "32-bit Wine runs natively ($why); the i686 SETUP.EXE is what runs"
    fi
}

# The binfmt entry that hands i386 ELF programs to qemu (magic and mask of a 32-bit x86 executable or shared object).
WH_BINFMT=':zel-qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'

wh_binfmt_on() { [ "$(head -n 1 /proc/sys/fs/binfmt_misc/zel-qemu-i386 2>/dev/null)" = enabled ]; }

# Runs COMMAND... where the decided path works: for qemu, in a user namespace whose own binfmt_misc (kernels from
# 6.7) sends every 32-bit ELF below it through qemu; on older kernels the entry is global for the command's time.
wh_enter32() {
    wh_probe32 || return 1
    if [ "$WH_RUN32" = native ] || wh_binfmt_on; then
        "$@"
        return
    fi
    [ -x "$WH_QEMU" ] || { wh_log "$WH_QEMU is missing (./run deps installs qemu-user)"; return 1; }
    local register="printf '%s' '$WH_BINFMT$WH_QEMU:F' >/proc/sys/fs/binfmt_misc/register"
    if unshare --user --map-root-user --mount sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' \
        2>/dev/null; then
        unshare --user --map-root-user --mount --fork sh -c \
            "mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc && $register && exec \"\$@\"" sh "$@"
        return
    fi
    wh_log "no binfmt_misc of a user namespace here: the qemu entry is made globally while the command runs"
    [ -e /proc/sys/fs/binfmt_misc/register ] ||
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
    sh -c "$register" || return 1
    local rc=0
    "$@" || rc=$?
    echo -1 >/proc/sys/fs/binfmt_misc/zel-qemu-i386
    return $rc
}

wh_make_template() {
    local arch=$1 t
    t=$(wh_template_dir "$arch")
    [ -f "$t/.ready" ] && return 0
    mkdir -p "$WH_ROOT"
    (
        flock 9
        [ -f "$t/.ready" ] && exit 0
        local loader server log=$WH_ROOT/template$arch-boot.log started=$SECONDS
        loader=$(wh_loader "$arch") server=$(wh_server "$arch")
        rm -rf "$t" && mkdir -p "$t"
        wh_log "making the $arch-bit template prefix $t"
        env $([ "$arch" = 32 ] && echo WINEARCH=win32) WINEPREFIX="$t" WINESERVER="$server" "$loader" \
            wineboot --init >"$log" 2>&1 || :
        WINEPREFIX=$t WINESERVER=$server "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
            >>"$log" 2>&1 || :
        WINEPREFIX=$t "$server" -w || :
        if [ "$(wh_prefix_arch "$t")" != "$arch" ] || [ ! -f "$t/system.reg" ]; then
            wh_log "the $arch-bit template prefix was not made ($loader); $log ends:"
            tail -n 5 "$log" >&2
            exit 1
        fi
        touch "$t/.ready"
        wh_log "$arch-bit template ready in $((SECONDS - started)) s"
    ) 9>"$WH_ROOT/template$arch.lock"
}

wh_template() { # [ARCH...], both by default
    local arch rc=0 pids=()
    for arch in ${@:-64 32}; do
        wh_make_template "$arch" &
        pids+=($!)
    done
    for arch in "${pids[@]}"; do wait "$arch" || rc=1; done
    return $rc
}

# The Windows version Wine reports, written into the registry files of a prefix whose wineserver does not run yet:
# HKCU\Software\Wine "Version" for the names Wine knows (win95, nt351, nt40 ...), and for Windows NT 3.1 and 3.5,
# which it has no name for, HKLM\...\Windows NT\CurrentVersion "CurrentVersion" as they report it: 3.10, 3.50.
wh_set_version() {
    local prefix=$1 version=$2
    case $version in
    nt31 | nt35)
        sed -i "/^\[Software\\\\\\\\Microsoft\\\\\\\\Windows NT\\\\\\\\CurrentVersion\] /,/^\[/ s/^\"CurrentVersion\"=\".*\"/\"CurrentVersion\"=\"3.${version#nt3}0\"/" \
            "$prefix/system.reg" ;;
    *) printf '\n[Software\\\\Wine] 0\n"Version"="%s"\n' "$version" >>"$prefix/user.reg" ;;
    esac
}

# Ends a prefix's wineserver and unmounts the prefix.
wh_release() {
    WINEPREFIX=$1 "$(wh_server "$(wh_prefix_arch "$1")")" -k 2>/dev/null || :
    if mountpoint -q "$1" 2>/dev/null; then umount "$1" 2>/dev/null || umount -l "$1" 2>/dev/null || :; fi
}

wh_remove_root() {
    local dir arch
    for dir in "$WH_ROOT"/scenarios/*/prefix; do [ ! -d "$dir" ] || wh_release "$dir"; done
    for arch in 64 32; do
        dir=$(wh_template_dir "$arch")
        [ ! -d "$dir" ] || WINEPREFIX=$dir "$(wh_server "$arch")" -k 2>/dev/null || :
    done
    rm -rf "$WH_ROOT"
}

wh_new_prefix() {
    local name=$1 version=${2:-} arch=$WH_ARCH template base dir
    [ "$arch" = 32 ] || [ "$arch" = 64 ] || { wh_log "WH_ARCH must be 32 or 64, not '$arch'"; return 1; }
    wh_make_template "$arch" || return 1
    template=$(wh_template_dir "$arch")
    # Prefixes of scenarios that were killed (their shell is gone) go first.
    for dir in "$WH_ROOT"/scenarios/*.*.*; do
        if [ -d "$dir" ] && ! kill -0 "$(basename "${dir%.*}" | sed 's/.*\.//')" 2>/dev/null; then
            wh_release "$dir/prefix"
            rm -rf "$dir"
        fi
    done
    base=$WH_ROOT/scenarios/$name.$$.$RANDOM
    mkdir -p "$base/upper" "$base/work" "$base/prefix"
    if ! mount -t overlay overlay -o "lowerdir=$template,upperdir=$base/upper,workdir=$base/work" \
        "$base/prefix" 2>/dev/null; then
        cp -a --reflink=auto "$template/." "$base/prefix/" || return 1 # no overlay here: a copy
    fi
    rm -f "$base/prefix/.ready"
    [ -z "$version" ] || wh_set_version "$base/prefix" "$version"
    WINEPREFIX=$base/prefix "$(wh_server "$arch")" -p >/dev/null 2>&1
    echo "$base/prefix"
}

wh_wine() {
    local prefix=$1 arch
    arch=$(wh_prefix_arch "$prefix") && shift
    WINEPREFIX=$prefix WINESERVER=$(wh_server "$arch") "$(wh_loader "$arch")" "$@"
}

wh_stop() {
    [ -n "$1" ] || return 0
    wh_release "$1"
    WINEPREFIX=$1 "$(wh_server "$(wh_prefix_arch "$1")")" -w 2>/dev/null || :
    rm -rf "${1%/prefix}"
}

# A prefix of kind WH_ARCH at a fixed path that outlives the run (./run try): a copy of the template, not an
# overlay, so that nothing needs to stay mounted; an existing one is kept as it is.
wh_keep_prefix() {
    local dir=$1 version=${2:-}
    [ -f "$dir/system.reg" ] && return 0
    wh_make_template "$WH_ARCH" || return 1
    mkdir -p "$dir" && cp -a --reflink=auto "$(wh_template_dir "$WH_ARCH")/." "$dir/" || return 1
    rm -f "$dir/.ready"
    [ -z "$version" ] || wh_set_version "$dir" "$version"
}
