#!/usr/bin/env bash
# ./run try as a person meets it, the driver's steps in the person's place: with no display, a virtual screen
# served by VNC on 127.0.0.1 alone, where a VNC client sees the welcome page; the disk swapped at the
# program's prompt; the group printed; then ./run try uninstall in the same prefix, and ./run try reset.
set -u
src=${ZEL_SOURCE:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$src/tests/harness/wine-env.sh"
wh_probe32 2>/dev/null
build=${ZEL_BUILD32:-$src/build/i686}
export ZEL_TRY_ROOT=$WH_ROOT ZEL_BUILD=$build
tmp=$(mktemp -d) run="" c=$WH_ROOT/try-nt40/prefix/drive_c
trap '"$src/run" try reset >/dev/null; rm -rf "$tmp"' EXIT
fail() {
    kill $run 2>/dev/null && wait $run
    echo "FAIL: $*" && cat "$tmp/out" && tail -n 20 "$WH_ROOT/try-nt40/transcript.txt"
    exit 1
}

printf '%s\n' 'timeout 60000' 'page 100' 'touch "C:\welcome"' 'waitfile "C:\seen"' 'click 1003' 'page 101' \
    'type 1001 "C:\Vantrx"' 'click 1003' 'box "The path C:\\Vantrx does not exist.\nWould you like to create it?" press ok' \
    'page 106' 'click 1003' 'page 103' 'click 1003' 'box "Please insert ZEL Vantorix Disk #2" caption "Change Disks"' \
    'waitfile "A:\ZELSERV.EX_"' 'box "Please insert ZEL Vantorix Disk #2" press ok' \
    'box "Installation of ZEL Vantorix was successful!" press ok' 'box "To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?" press no' \
    'exit 0' >"$tmp/steps"
"$src/run" try reset >/dev/null
env -u DISPLAY ZEL_TRY_SCENARIO="$tmp/steps" "$src/run" try nt40 >"$tmp/out" 2>&1 &
run=$!
for _ in $(seq 1200); do [ ! -f "$c/welcome" ] && kill -0 $run 2>/dev/null && sleep 0.1 || break; done
port=$(sed -n 's/.*VNC at 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$tmp/out")
servers=$(pgrep -d '|' -P $run -x 'Xvfb|x11vnc')
[ -n "$port" ] && [ -n "$servers" ] || fail "no VNC server"
listening=$(ss -ltunpH | grep -E "pid=($servers)," | awk '{ print $5 }')
[ "$listening" = "127.0.0.1:$port" ] || fail "the screen's servers listen on: $listening"
# The welcome page (the window colour) over the main window's blue, as a VNC client gets them.
vncsnapshot -quiet "127.0.0.1:$((port - 5900))" "$tmp/vnc.jpg" >/dev/null 2>&1 || fail "no VNC picture"
r=($(grep -A1 '^saw page 100 ' "$WH_ROOT/try-nt40/transcript.txt" | sed -n 's/^ *window //p' | tr -d a-z))
[ "$(convert "$tmp/vnc.jpg" -format "%[fx:p{5,40}.b>0.95 && p{5,40}.r<0.05 && p{$((r[4] + 4)),$((r[7] - 4))}.g>0.95]" info:)" = 1 ] ||
    fail "the VNC picture shows no welcome page"
touch "$c/seen"
wait $run || fail "./run try failed"
grep -qx 'try: disk 2 is in drive A:' "$tmp/out" && [ -f "$c/Vantrx/ZELSERV.EXE" ] || fail "no disk 2"
grep -qx '      UnInstall: C:\\windows\\ZELUNINS.EXE -uninstall (in C:\\windows)' "$tmp/out" || fail "no group printed"
! pgrep -x 'Xvfb|x11vnc' | grep -qxE "$servers" || fail "the screen's servers outlived the run"

printf '%s\n' 'page 100' 'click 1003' 'box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\\Vantrx." press ok' \
    'exit 0' >"$tmp/steps"
env -u DISPLAY ZEL_TRY_SCENARIO="$tmp/steps" "$src/run" try uninstall >"$tmp/out" 2>&1 || fail "./run try uninstall failed"
[ ! -e "$c/Vantrx" ] && ! grep -q '^   ZEL Vantorix$' "$tmp/out" || fail "still installed"
"$src/run" try reset >/dev/null && [ ! -e "$WH_ROOT/try-nt40" ] || fail "the prefix is still there"
echo "PASS"
