#!/usr/bin/env bash
# The wizard's page flow seen from outside, on Windows NT 4.0 and Windows 95:
# the forward routes, every Back and Exit, the exit confirmation page's keys,
# Escape ignored on the other pages, and the component flags kept across pages.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/pages_lib.sh"

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
start_progman
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

agent_registered() {
    bb_reg_query 'HKLM\SOFTWARE\ZEL\SNMP\SCSI_SYSTEM_AGENT\CurrentVersion' | grep -qi '^HKEY_LOCAL_MACHINE'
}
if agent_registered; then bb_pass; else bb_fail "SNMP agent not registered with its box checked"; fi

# Both components cleared: both flags are 0, so the run registers no SNMP
# agent and makes no shell entries (no Program Manager runs in this prefix,
# so a group attempt would fail the run), yet it ends in success.
fresh_prefix flow-nt-none nt40
BB_NAME=flow-nt-none
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
click 1003
page 103
click 1003
$(finish_nt)
EOF
if agent_registered; then bb_fail "SNMP agent registered with its box cleared"; else bb_pass; fi
bb_expect_file "$BB_C/Target/VANTRX32.EXE"

# Enter presses Continue on the welcome, components and confirmation pages.
fresh_prefix flow-nt-enter nt40
start_progman
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
