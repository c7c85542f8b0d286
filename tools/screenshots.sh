#!/usr/bin/env bash
# ./run screenshots: runs SETUP.EXE through its pages under Xvfb with Wine's
# X11 driver and saves a PNG of the screen at each page to build/screenshots/.
# It runs the shipped i686 build under 32-bit Wine, or where that cannot run
# the x86_64 build under wine64 (the black-box library decides and says so).
#
# The driver and this script meet through files in the prefix: at each stop
# the driver creates C:\shots\NAME.req and waits for C:\shots\NAME.done; this
# script captures the screen to NAME.png and creates the .done file.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

export ZEL_SOURCE=$top
export WH_ROOT=${WH_ROOT:-/var/tmp/zel-wine/screenshots}
. "$top/tests/blackbox/lib.sh"
bb_need_x11 "$@"

out=$top/build/screenshots
rm -rf "$out"
mkdir -p "$out"

# A scenario whose `shot NAME` lines save the screen to $out/NAME.png.
run_with_shots() {
    bb_run_driver_shots "$out" || true
}

bb_x11_prefix shots-nt nt40
bb_setup_dist "$BB_C/dist"
[ -d "$BB_C/dist/DISK1" ] || bb_minimal_script "$BB_C/dist/DISK1" SETUP.INI
cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/DISK1/SETUP.EXE"

# The whole wizard on Windows NT 4.0. Disk 2 is "inserted" by copying its
# files beside SETUP.EXE while the disk prompt is up. The application
# component is left out: its Program Manager group needs a DDE server.
run_with_shots <<'EOF' &
timeout 60000
start "C:\dist\DISK1\SETUP.EXE"
page 100
shot 100-welcome
click 1003
page 101
type 1001 "C:\Vantrx"
shot 101-path
click 1003
box "The path C:\\Vantrx does not exist.\nWould you like to create it?" caption "Setup"
shot 101-path-create
box "The path C:\\Vantrx does not exist.\nWould you like to create it?" press ok
page 106
click 1005
shot 106-components
click 1003
page 103
shot 103-confirm
click 105
page 105
shot 105-exit
click 1000
page 103
click 1003
page 104
box "Please insert ZEL Vantorix Disk #2" caption "Change Disks"
shot 104-copy-disk-prompt
touch "C:\shots\insert-disk2"
waitfile "C:\shots\disk2-inserted"
box "Please insert ZEL Vantorix Disk #2" press ok
box "Installation of ZEL Vantorix was successful!" caption "Good News"
shot 503-success
box "Installation of ZEL Vantorix was successful!" press ok
box "To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?"
shot 503-restart-question
box "To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?" press no
exit 0
EOF
scenario=$!
# Disk 2 goes in when the driver asks for it.
for _ in $(seq 600); do
    if [ -e "$BB_C/shots/insert-disk2" ]; then
        cp "$BB_C/dist/DISK2/"* "$BB_C/dist/DISK1/" 2>/dev/null || true
        touch "$BB_C/shots/disk2-inserted"
        break
    fi
    kill -0 "$scenario" 2>/dev/null || break
    sleep 0.2
done
wait "$scenario" || true

# The version-history page, over the installation just made.
run_with_shots <<'EOF'
timeout 60000
start "C:\dist\DISK1\SETUP.EXE"
page 100
click 1003
page 101
click 102
page 102
select 1000 0
shot 102-history
click 2
page 101
EOF

# The UnInstall form of the welcome page, from the uninstaller Setup placed.
run_with_shots <<'EOF'
timeout 60000
start "C:\windows\ZELUNINS.EXE" "-uninstall"
page 100
shot 100-uninstall-welcome
EOF

# Windows 95: pages on the button-face colour, over the same blue background.
bb_x11_prefix shots-95 win95
bb_setup_dist "$BB_C/dist"
[ -d "$BB_C/dist/DISK1" ] || bb_minimal_script "$BB_C/dist/DISK1" SETUP95.INI
cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/DISK1/SETUP.EXE"
run_with_shots <<'EOF'
timeout 60000
start "C:\dist\DISK1\SETUP.EXE"
page 100
shot 95-100-welcome
click 1003
page 101
shot 95-101-path
EOF

ls "$out"
echo "$(ls "$out" | wc -l) screenshots in $out"
if [ "$BB_FAILURES" -ne 0 ]; then
    echo "$BB_FAILURES scenario(s) failed: some pages are missing (transcripts above)"
    exit 1
fi
