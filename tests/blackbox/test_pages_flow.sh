#!/usr/bin/env bash
# The wizard's page flow seen from outside, on Windows NT 4.0 and Windows 95:
# the forward routes, every Back and Exit, the exit confirmation page's keys,
# Escape ignored on the other pages, and the component flags kept across pages.
. "$(dirname "$0")/lib.sh"

# After the confirmation page the copy page (104) copies the files and the run
# goes on to its end: the success message, and on Windows NT the restart
# question (answered No), show that the route went through 104.
SUCCESS='Installation of ZEL Vantorix was successful!'
RESTART='To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?'
finish_nt() { printf 'box "%s" caption "Good News" press ok\nbox "%s" press no\nexit 0\n' "$SUCCESS" "$RESTART"; }
finish_95() { printf 'box "%s" caption "Good News" press ok\nexit 0\n' "$SUCCESS"; }

ABANDON='Vantorix has not been properly installed.\n\nYou should run Setup in its entirety at a later time to install ZEL Vantorix.'

# A fresh prefix with a distribution in C:\dist and an empty C:\Target.
fresh_prefix() {
    bb_prefix "$1" "$2"
    bb_setup_dist "$BB_C/dist"
    bb_minimal_script "$BB_C/dist"
    mkdir -p "$BB_C/Target"
}

# --- Windows NT: 100, 101, 106, 103, 104 ------------------------------------------
fresh_prefix flow-nt nt40
# Escape leaves a page open and posts nothing: no page or box follows, and
# the page still takes clicks.
BB_NAME=flow-nt-forward
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
title "ZEL Vantorix Setup"
text 1004 "This program will install Vantorix onto your system."
key escape
nobox 500
running
click 1003
page 101
text 1001 "C:\Vantrx"
type 1001 "C:\Target"
click 1003
page 106
check 1005 1
check 1006 1
key escape
nobox 500
click 1003
page 103
text 1008 "C:\Target"
key escape
nobox 500
click 1003
$(finish_nt)
EOF

# Enter presses Continue on the welcome, components and confirmation pages.
fresh_prefix flow-nt-enter nt40
BB_NAME=flow-nt-enter
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
key enter
page 101
type 1001 "C:\Target"
key enter
page 106
key enter
page 103
key enter
$(finish_nt)
EOF

fresh_prefix flow-nt-pages nt40
# Every Back: 103 -> 106 -> 101. Components cleared on Continue are both
# stored as 0, so the page shows them cleared when it opens again.
BB_NAME=flow-nt-back
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "C:\Target"
click 1003
page 106
click 1005
click 1006
sleep 300
check 1005 0
check 1006 0
click 1003
page 103
click 1000
page 106
check 1005 0
check 1006 0
click 1005
sleep 300
click 101
page 101
text 1001 "C:\Target"
click 1003
page 106
check 1005 1
check 1006 0
EOF

# Every Exit, and the exit page's Back by button and by Enter.
BB_NAME=flow-nt-exits
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 105
page 105
title "ZEL Vantorix Setup"
click 1000
page 100
click 1003
page 101
type 1001 "C:\Target"
click 105
page 105
key enter
page 101
text 1001 "C:\Target"
click 1003
page 106
click 105
page 105
click 1000
page 103
click 105
page 105
click 1000
page 103
click 1000
page 106
EOF

# The exit page's Exit and Escape abandon the run with the dispatcher's warning.
BB_NAME=flow-nt-abandon
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 105
page 105
click 501
box "$ABANDON" caption "ZEL Vantorix Setup" icon exclamation buttons ok owner main press ok
exit 0
EOF
BB_NAME=flow-nt-escape
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
click 105
page 105
key escape
box "$ABANDON" caption "ZEL Vantorix Setup" icon exclamation buttons ok owner main press ok
exit 0
EOF

# --- Windows 95: 100, 101, 103, 104; Back on 103 returns to the path page --------
fresh_prefix flow-95 win95
# An installed disk-array driver, so that the end of the run asks nothing more.
bb_stamped_file "$BB_C/windows/system/IOSUBSYS/ZELSCSI.MPD" 9 Z Z
BB_NAME=flow-95
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
text 1001 "C:\Program Files\Vantrx"
type 1001 "C:\Target"
click 1003
page 103
text 1008 "C:\Target"
click 1000
page 101
click 1003
page 103
click 105
page 105
click 1000
page 103
click 1003
$(finish_95)
EOF

bb_finish
