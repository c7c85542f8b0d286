#!/usr/bin/env bash
# ./run try [nt40|win95|nt351|nt35|nt31]: the shipped SETUP.EXE of the sample distribution on the
# person's own display, to click through by hand, in a Wine prefix of that system's own that stays
# after the run (ZEL_TRY_ROOT/try-VERSION, default /var/tmp/zel-try, apart from the tests' folders).
#   ./run try uninstall   the installed uninstaller (ZELUNINS.EXE -uninstall, as the group item runs
#                         it) in the prefix of the last try
#   ./run try reset       throws the prefixes away (the clean template stays, for a quick next try)
# A: holds disk 1; when the program asks for disk 2 (its "Change Disks" box is on the screen) the run
# moves A: to disk 2 and says so, as a person swapping floppies would. With DISPLAY unset the run
# makes a screen of its own: Xvfb, served by x11vnc on 127.0.0.1 only. The test Program Manager runs
# beside the program, and the group it holds, or the Start Menu shortcuts on Windows 95, are printed
# when the program ends. ZEL_BUILD names the build to run (default build/i686, or build/x86_64 where
# 32-bit Wine cannot run). ZEL_TRY_SCENARIO names driver steps (tools/driver) that play the person,
# after the run's own `start` line: how the tests drive this run.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export WH_ROOT=${ZEL_TRY_ROOT:-/var/tmp/zel-try}
. "$top/tests/harness/wine-env.sh"
. "$top/tools/shortcuts.sh"

fail() {
    echo "try: $*" >&2
    exit 1
}
say() { echo "try: $*"; }
win() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }

case ${1:-nt40} in
reset)
    for p in "$WH_ROOT"/try-*/prefix; do [ ! -d "$p" ] || wh_release "$p"; done
    rm -rf "$WH_ROOT"/try-* "$WH_ROOT/last"
    say "the try prefixes are gone"
    exit 0
    ;;
uninstall)
    version=$(cat "$WH_ROOT/last" 2>/dev/null) || fail "nothing to uninstall: run ./run try first"
    ;;
nt40 | win95 | nt351 | nt35 | nt31) version=${1:-nt40} ;;
*) fail "usage: ./run try [nt40|win95|nt351|nt35|nt31|uninstall|reset]" ;;
esac
home=$WH_ROOT/try-$version
case $version in
win95) system="Windows 95" ;;
nt40) system="Windows NT 4.0" ;;
nt351) system="Windows NT 3.51" ;;
*) system="Windows NT 3.${version#nt3}" ;;
esac
prefix=$home/prefix
c=$prefix/drive_c

# The build is the one the prefix was made for; a new prefix takes the tests' path to Wine.
if [ -f "$home/build" ]; then
    ZEL_BUILD=$(cat "$home/build")
else
    ZEL_BUILD=${ZEL_BUILD:-$top/build/i686}
fi
[ -f "$ZEL_BUILD/dist/DISK1/SETUP.EXE" ] || fail "no sample distribution in $ZEL_BUILD (./run build)"
WH_ARCH=$(wh_pe_arch "$ZEL_BUILD/SETUP.EXE") || fail "$ZEL_BUILD/SETUP.EXE is not a Windows program"
if [ ! -f "$prefix/system.reg" ]; then
    say "making the prefix $prefix ($system)"
    wh_keep_prefix "$prefix" "$version" || fail "cannot make a Wine prefix"
    echo "$ZEL_BUILD" >"$home/build"
fi
echo "$version" >"$WH_ROOT/last"
say "$system: $ZEL_BUILD/SETUP.EXE under $WH_ARCH-bit Wine, in $prefix"

xvfb="" vnc="" progman="" watcher=""
finish() {
    set +e
    [ -z "$watcher" ] || kill "$watcher" 2>/dev/null
    [ -z "$progman" ] || kill "$progman" 2>/dev/null
    wh_release "$prefix"
    WINEPREFIX=$prefix "$(wh_server "$WH_ARCH")" -w 2>/dev/null
    [ -z "$vnc" ] || kill "$vnc" 2>/dev/null
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap finish EXIT
trap 'exit 130' INT TERM

# No display: a virtual screen, and a VNC server for it that only this machine can reach.
managed=Y
if [ -z "${DISPLAY:-}" ]; then
    command -v Xvfb >/dev/null && command -v x11vnc >/dev/null || fail "no display, and no Xvfb or x11vnc (./run deps)"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$home/display" 2>"$home/xvfb.log" &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$home/display" ] && break || sleep 0.1; done
    [ -s "$home/display" ] || fail "Xvfb did not start ($home/xvfb.log)"
    export DISPLAY=:$(cat "$home/display")
    x11vnc -display "$DISPLAY" -localhost -listen 127.0.0.1 -noipv6 -autoport 5900 -forever -shared -nopw \
        >"$home/vnc.out" 2>"$home/vnc.log" &
    vnc=$!
    for _ in $(seq 300); do grep -q '^PORT=' "$home/vnc.out" && break || sleep 0.1; done
    port=$(sed -n 's/^PORT=//p' "$home/vnc.out")
    [ -n "$port" ] || fail "x11vnc did not start ($home/vnc.log)"
    say "no display here: the program is on a virtual screen ($DISPLAY), VNC at 127.0.0.1:$port (this machine only)"
    host="$(id -un)@$(hostname -f 2>/dev/null || hostname)"
    say "from elsewhere: ssh -L $port:127.0.0.1:$port $host, then a VNC viewer on localhost:$port"
    # No window manager there: Wine places and frames its windows itself.
    managed=N
fi
printf 'REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n"Graphics"=-\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="%s"\n' \
    "$managed" >"$home/display.reg"
wh_wine "$prefix" regedit /S "$(win "$home/display.reg")" >/dev/null 2>&1

# The test Program Manager keeps its groups in the prefix, for the uninstaller to find them.
mkdir -p "$c/pm" && rm -f "$c/pm/ready"
wh_wine "$prefix" "$ZEL_BUILD/tools/progman/progman.exe" --log 'C:\pm\log' --state 'C:\pm\state' >/dev/null 2>&1 &
progman=$!
for _ in $(seq 100); do [ -f "$c/pm/ready" ] && break || sleep 0.1; done
[ -f "$c/pm/ready" ] || fail "the test Program Manager did not start"

if [ "${1:-}" = uninstall ]; then
    exe='C:\windows\ZELUNINS.EXE' args=-uninstall
    [ -f "$c/windows/zelunins.exe" ] || [ -f "$c/windows/ZELUNINS.EXE" ] || fail "no uninstaller in $prefix: nothing installed"
else
    # Fresh disks each time, so that no run can touch the build's distribution.
    rm -rf "$home/dist" && cp -r "$ZEL_BUILD/dist" "$home/dist"
    ln -sfn "$home/dist/DISK1" "$prefix/dosdevices/a:"
    exe='A:\SETUP.EXE' args=""
    say "disk 1 is in drive A:"
    (
        until xwininfo -root -tree 2>/dev/null | grep -q '"Change Disks"'; do sleep 0.3; done
        ln -sfn "$home/dist/DISK2" "$prefix/dosdevices/a:"
        say "disk 2 is in drive A:"
    ) &
    watcher=$!
fi

say "running $exe $args"
# In the background, so that an interrupt is taken at once rather than when the program ends.
if [ -n "${ZEL_TRY_SCENARIO:-}" ]; then
    { echo "start \"$exe\"${args:+ \"$args\"}" && cat "$ZEL_TRY_SCENARIO"; } >"$home/scenario.txt"
    wh_wine "$prefix" "$ZEL_BUILD/tools/driver/zeldriver.exe" "$(win "$home/scenario.txt")" \
        "$(win "$home")\\transcript.txt" >/dev/null 2>&1 &
else
    wh_wine "$prefix" "$exe" $args &
fi
wait $!
rc=$?
say "the program ended (exit code $rc)"

# Windows 95 makes Start Menu shortcuts; Windows NT asks Program Manager for a group.
if [ "$version" = win95 ]; then
    echo "== Start Menu shortcuts:"
    print_shortcuts "$c" || echo "   none"
else
    echo "== Program Manager (test server) groups:"
    awk -F'\t' '$1 == "group" { print "   " $2 } $1 == "item" { print "      " $2 ": " $3 " (in " $4 ")" }' \
        "$c/pm/state" 2>/dev/null | tr -d '\r' | grep . || echo "   none"
fi
exit $rc
