#!/usr/bin/env bash
# ./run screenshots: runs SETUP.EXE through its pages under Xvfb with Wine's
# X11 driver and saves a PNG of the screen at each page to build/screenshots/.
# The roads below run through the test runner (tests/blackbox/road.sh), so
# the shipped i686 build under 32-bit Wine (natively or under qemu-i386, as
# the harness decides and says).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export ZEL_SOURCE=$top ZEL_SHOTS=$top/build/screenshots WH_ROOT=${WH_ROOT:-/var/tmp/zel-wine/screenshots}
. "$top/tests/harness/wine-env.sh"
trap wh_remove_root EXIT
wh_probe32
wh_template
rm -rf "$ZEL_SHOTS"
roads=$(mktemp)
cat >"$roads" <<'ROADS'
# The whole wizard on Windows NT 4.0 from the sample disks, disk 2 put in at its
# prompt, the application component left out (its group needs Program Manager).
road shots-nt nt40 x11
$ dist sample 'C:\dist' && drive A: 'C:\dist\DISK1'
timeout 60000
start "A:\SETUP.EXE"
page 100
$ shot 100-welcome
click 1003
page 101
type 1001 "C:\Vantrx"
$ shot 101-path
click 1003
box "The path C:\\Vantrx does not exist.\nWould you like to create it?"
$ shot 101-path-create
box "The path C:\\Vantrx does not exist.\nWould you like to create it?" press ok
page 106
click 1005
$ shot 106-components
click 1003
page 103
$ shot 103-confirm
click 105
page 105
$ shot 105-exit
click 1000
page 103
click 1003
box "Please insert ZEL Vantorix Disk #2"
$ shot 104-copy-disk-prompt && drive A: 'C:\dist\DISK2'
box "Please insert ZEL Vantorix Disk #2" press ok
box "Installation of ZEL Vantorix was successful!"
$ shot 503-success
box "Installation of ZEL Vantorix was successful!" press ok
box "To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?"
$ shot 503-restart-question
box "To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?" press no
exit 0
$ drive A: 'C:\dist\DISK1'
start "A:\SETUP.EXE"
page 100
click 1003
page 101
click 102
page 102
select 1000 0
$ shot 102-history
click 2
page 101
kill
start "C:\windows\ZELUNINS.EXE" "-uninstall"
page 100
$ shot 100-uninstall-welcome
kill
# Windows 95: pages on the button-face colour, over the same blue background.
road shots-95 win95 x11
$ dist min 'C:\dist'
start "C:\dist\SETUP.EXE"
page 100
$ shot 95-100-welcome
click 1003
page 101
$ shot 95-101-path
kill
ROADS
status=0
xvfb-run -a -s "-screen 0 1024x768x24" bash "$top/tests/blackbox/road.sh" "$roads" || status=1
rm -f "$roads"
echo "$(ls "$ZEL_SHOTS" | wc -l) screenshots in $ZEL_SHOTS"
exit $status
