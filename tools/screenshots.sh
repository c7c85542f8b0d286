#!/usr/bin/env bash
# ./run screenshots: runs SETUP.EXE through its pages under Xvfb with Wine's
# X11 driver and saves a PNG of the screen at each page to build/screenshots/.
#
# The driver and this script meet through files in the prefix: at each stop
# the driver creates C:\shots\NAME.req and waits for C:\shots\NAME.done; this
# script captures the screen to NAME.png and creates the .done file.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [ "${ZEL_SHOTS_XVFB:-}" != 1 ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env ZEL_SHOTS_XVFB=1 bash "$0" "$@"
fi

export ZEL_SOURCE=$top ZEL_BUILD=${ZEL_BUILD:-$top/build/x86_64}
export WH_ROOT=${WH_ROOT:-/var/tmp/zel-wine/screenshots}
. "$top/tests/blackbox/lib.sh"

out=$top/build/screenshots
rm -rf "$out"
mkdir -p "$out"

# Serves capture requests until the driver run ends.
serve_captures() {
    local shots=$1 req name
    while :; do
        for req in "$shots"/*.req; do
            [ -e "$req" ] || continue
            name=$(basename "$req" .req)
            sleep 1 # let Wine finish painting the page that just opened
            import -window root "$out/$name.png"
            rm -f "$req"
            touch "$shots/$name.done"
            echo "captured $name.png"
        done
        [ -e "$shots/.end" ] && return 0
        sleep 0.2
    done
}

# Runs a scenario with capture stops: a line `shot NAME` becomes the request
# and the wait for its answer.
run_with_shots() {
    local shots=$BB_C/shots
    mkdir -p "$shots"
    rm -f "$shots/.end"
    serve_captures "$shots" &
    local server=$!
    sed -E 's/^shot (.*)$/touch "C:\\shots\\\1.req"\nwaitfile "C:\\shots\\\1.done"/' | bb_run_driver || true
    touch "$shots/.end"
    wait "$server"
}

# A prefix drawing through X11 instead of the null driver. Xvfb runs no window
# manager, so Wine manages its windows itself (Managed N): only then does a
# maximised window take the whole screen.
shots_prefix() {
    bb_prefix "$1" "$2"
    wh_wine "$BB_PREFIX" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
    wh_wine "$BB_PREFIX" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

shots_prefix shots-nt nt40
bb_setup_dist "$BB_C/dist"
[ -d "$BB_C/dist/DISK1" ] || bb_minimal_script "$BB_C/dist/DISK1" SETUP.INI
cp "$ZEL_BUILD/SETUP.EXE" "$BB_C/dist/DISK1/SETUP.EXE"

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
shots_prefix shots-95 win95
bb_setup_dist "$BB_C/dist"
[ -d "$BB_C/dist/DISK1" ] || bb_minimal_script "$BB_C/dist/DISK1" SETUP95.INI
cp "$ZEL_BUILD/SETUP.EXE" "$BB_C/dist/DISK1/SETUP.EXE"
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
