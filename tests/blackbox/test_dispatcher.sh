#!/usr/bin/env bash
# The main window's dispatcher seen from outside: the full-screen window
# cannot be moved, sized, minimised or restored; messages that are no wizard
# command change nothing; command 503 ends a run per kind of Windows.
. "$(dirname "$0")/lib.sh"

SUCCESS='Installation of ZEL Vantorix was successful!'
RESTART='To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?'
WM_COMMAND=0x111
WM_SYSCOMMAND=0x112
WM_NCLBUTTONDBLCLK=0xA3

# --- the window stays maximised, with the welcome page open ----------------------
bb_prefix frozen nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
BB_NAME=frozen
# Sent, not posted: the step returns once the program has handled the message.
# 0xF012 is SC_MOVE as a caption drag sends it, with hit-test bits below. The
# open page disables the main window, and the platform's default handling
# ignores system commands of a disabled window; enabling it leaves the
# outcome to the window procedure alone.
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
maximized 1
enablemain 1
send $WM_NCLBUTTONDBLCLK 2 0
maximized 1
send $WM_SYSCOMMAND 0xF010 0
maximized 1
send $WM_SYSCOMMAND 0xF012 0
maximized 1
send $WM_SYSCOMMAND 0xF000 0
maximized 1
send $WM_SYSCOMMAND 0xF020 0
maximized 1
send $WM_SYSCOMMAND 0xF120 0
maximized 1
enablemain 0
nobox 200
running
EOF

# Without a page: start-up's own message box (UnInstall mode, nothing
# recorded) stands over the main window alone.
NO_VERSIONS='Unable to detect any versions of ZEL Vantorix\non your system.'
cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/ZELUNINS.EXE"
BB_NAME=frozen-no-page
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
box "$NO_VERSIONS"
enablemain 1
send $WM_NCLBUTTONDBLCLK 2 0
send $WM_SYSCOMMAND 0xF000 0
send $WM_SYSCOMMAND 0xF010 0
send $WM_SYSCOMMAND 0xF020 0
maximized 1
send $WM_SYSCOMMAND 0xF120 0
maximized 1
box "$NO_VERSIONS" press ok
exit 0
EOF

# --- WM_COMMAND that is no wizard command: nothing happens -----------------------
# 0x10064 is command 100 with a nonzero high word; 0 and 107 are no commands.
BB_NAME=not-commands
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
post $WM_COMMAND 0x10064 0
post $WM_COMMAND 0x101F7 0
post $WM_COMMAND 502 0
post $WM_COMMAND 504 0
post $WM_COMMAND 507 0
post $WM_COMMAND 0 0
post $WM_COMMAND 107 0
nobox 500
running
maximized 1
title "ZEL Vantorix Setup"
EOF

# --- 503 on Windows NT: success, then the restart question; No ends the run ------
BB_NAME=finish-nt40
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
post $WM_COMMAND 503 0
box "$SUCCESS" caption "Good News" icon info buttons ok owner main press ok
box "$RESTART" caption "ZEL Vantorix Setup" icon info buttons yesno owner main press no
exit 0
EOF

# Yes: the privilege is granted and the restart request ends the whole Wine
# session of the prefix, the driver with it, so its transcript stops after
# the answer, with no verdict and no privilege message.
BB_NAME=finish-nt40-restart
bb_driver_raw <<EOF
start "C:\dist\SETUP.EXE"
page 100
post $WM_COMMAND 503 0
box "$SUCCESS" press ok
box "$RESTART" press yes
exit 0
EOF
bb_expect_grep '^pressed yes$' "$BB_TRANSCRIPT" "$BB_NAME: restart answered"
bb_expect_eq "$(bb_count '^(PASS|FAIL)$|Could not get security privileges' "$BB_TRANSCRIPT")" 0 \
    "$BB_NAME: the session ended under the driver"

# --- 503 on Windows 95: only the success message -----------------------------
bb_prefix finish-win95 win95
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
BB_NAME=finish-win95
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
post $WM_COMMAND 503 0
box "$SUCCESS" caption "Good News" icon info buttons ok owner main press ok
exit 0
EOF
bb_expect_eq "$(bb_count '^saw box' "$BB_TRANSCRIPT")" 1 "$BB_NAME: message boxes shown"

# --- 503 in an unattended run: nothing shown ---------------------------------
# Start-up posts 104 before the message loop runs, so the 503 posted here is
# handled around the copy page, ending the run there. A current system driver
# keeps the Windows 95 driver check quiet whichever comes first.
printf '[Autorun]\r\nPathname=C:\\Vantrx\r\nVANTRX=NO\r\nSNMP=NO\r\n' >>"$BB_C/dist/SETUP95.INI"
bb_stamped_file "$BB_C/windows/system/IOSUBSYS/ZELSCSI.MPD" 1 K 2
BB_NAME=finish-autorun
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
post $WM_COMMAND 503 0
exit 0
EOF
bb_expect_eq "$(bb_count '^saw box' "$BB_TRANSCRIPT")" 0 "$BB_NAME: message boxes shown"

bb_finish
