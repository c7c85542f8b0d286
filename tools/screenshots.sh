#!/usr/bin/env bash
# ./run screenshots: runs SETUP.EXE through its pages under Xvfb with Wine's
# X11 driver and saves a PNG of the screen at each page to build/screenshots/,
# then the captioned contact sheet of them all that the README shows,
# docs/pages.png (committed: run this again when a page changes).
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
# Windows 95 from the same disks: pages on the button-face colour, no components
# page, no restart question; Wine has no ZEL driver, which Setup points out.
road shots-95 win95 x11
$ dist sample 'C:\dist' && drive A: 'C:\dist\DISK1'
timeout 60000
start "A:\SETUP.EXE"
page 100
$ shot 95-100-welcome
click 1003
page 101
$ shot 95-101-path
click 1003
box "The path C:\\Program Files\\Vantrx does not exist.\nWould you like to create it?" press ok
page 103
$ shot 95-103-confirm
click 1003
box "Please insert ZEL Vantorix Disk #2"
$ shot 95-104-copy-disk-prompt && drive A: 'C:\dist\DISK2'
box "Please insert ZEL Vantorix Disk #2" press ok
box "There is no ZEL driver installed on your system.\n\nYou must install the ZEL driver by choosing\nSystem in the Control Panel."
$ shot 95-driver-missing
box "There is no ZEL driver installed on your system.\n\nYou must install the ZEL driver by choosing\nSystem in the Control Panel." press ok
box "Installation of ZEL Vantorix was successful!"
$ shot 95-503-success
box "Installation of ZEL Vantorix was successful!" press ok
exit 0
ROADS
status=0
xvfb-run -a -s "-screen 0 1024x768x24" bash "$top/tests/blackbox/road.sh" "$roads" || status=1
rm -f "$roads"
echo "$(ls "$ZEL_SHOTS" | wc -l) screenshots in $ZEL_SHOTS"
[ $status = 0 ] || exit 1

# The contact sheet for the README: both roads in order, each shot cut to the middle of the screen
# where the pages and boxes are, two to a row at full size so that their text reads on a repository page.
sheet=()
while read -r name caption; do
    sheet+=(-label "$caption" "$ZEL_SHOTS/$name.png[580x360+222+204]")
done <<'PAGES'
100-welcome Windows NT 4.0: welcome
101-path Windows NT 4.0: install path
101-path-create Windows NT 4.0: path to be made
106-components Windows NT 4.0: components
103-confirm Windows NT 4.0: confirmation
105-exit Windows NT 4.0: exit confirmation
104-copy-disk-prompt Windows NT 4.0: copy, disk 2 prompt
503-success Windows NT 4.0: success
503-restart-question Windows NT 4.0: restart question
102-history Windows NT 4.0: version history
100-uninstall-welcome Windows NT 4.0: UnInstall welcome
95-100-welcome Windows 95: welcome
95-101-path Windows 95: install path
95-103-confirm Windows 95: confirmation
95-104-copy-disk-prompt Windows 95: copy, disk 2 prompt
95-driver-missing Windows 95: no ZEL driver
95-503-success Windows 95: success
PAGES
montage "${sheet[@]}" -tile 2x -geometry +4+4 -font DejaVu-Sans -pointsize 15 -background white \
    +set date:create +set date:modify -depth 8 -define png:exclude-chunks=date,time "$top/docs/pages.png"
echo "contact sheet: $top/docs/pages.png"
