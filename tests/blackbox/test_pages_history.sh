#!/usr/bin/env bash
# The version-history page in both run modes and the UnInstall welcome page,
# seen from outside: rows in history order, where OK and Cancel lead, and the
# removal of the chosen or only installation.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/pages_lib.sh"

NOTHING='UnInstall has not changed your system in any way.'
SETUP_HINT='To replace an existing version of Vantorix, click on that version and then choose OK.'
UNINSTALL_HINT='Click on the version of ZEL Vantorix you wish to\nuninstall and then choose OK.'

# Three installations; the second has no WhenInstalled value.
three_recorded() {
    bb_stamped_file "$BB_C/One/VANTRX32.EXE" 1 B D
    bb_stamped_file "$BB_C/Two/VANTRX32.EXE" 1 B E
    bb_stamped_file "$BB_C/Three/VANTRX32.EXE" 2 0 A
    bb_history 'C:\One' 'C:\Two' 'C:\Three'
    sed -i '/^\[C:\\Two\]/,/^\[/{/^WhenInstalled=/d}' "$BB_C/windows/ZELSETUP.INI"
}
ROWS='"v1.BD   installed   TUE 09/03/96   into   C:\One" "v1.BE   installed   NO ENTRY   into   C:\Two" "v2.0A   installed   TUE 09/03/96   into   C:\Three"'

# --- Setup mode --------------------------------------------------------------------
bb_prefix history-setup nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
three_recorded
start_progman
# OK without a row and Cancel lead back to the path page; a chosen row goes
# straight on to the components page in replace mode.
BB_NAME=history-setup
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
click 102
page 102
title "ZEL Vantorix Setup"
text 1001 "$SETUP_HINT"
rows 1000 $ROWS
enabled 1000 1
click 1
page 101
click 102
page 102
select 1000 0
click 2
page 101
text 1001 "C:\Vantrx"
click 102
page 102
select 1000 1
click 1
page 106
click 1003
page 103
text 1008 "C:\Two"
click 1003
$(finish_nt)
EOF
# Replace mode: the chosen installation was removed before the copy, and the
# new one is recorded after the others.
bb_expect_same "$BB_C/Two/VANTRX32.EXE" "$BB_C/dist/VANTRX32.EXE"
bb_expect_eq "$(tr -d '\r' <"$BB_C/windows/ZELSETUP.INI" | sed -n 2,5p)" 'TimesInstalled=3
number1=C:\One
number2=C:\Three
number3=C:\Two' "history after replacing C:\Two"

# Nothing recorded: one disabled "None" row and no hint; OK (here by Enter,
# which the dialog manager turns into OK) goes back.
for version in nt40 win95; do
    bb_prefix "history-none-$version" $version
    bb_setup_dist "$BB_C/dist"
    bb_minimal_script "$BB_C/dist"
    BB_NAME="history-none-$version"
    bb_run_driver <<'EOF'
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
click 102
page 102
rows 1000 "None"
enabled 1000 0
text 1001 ""
key enter
page 101
EOF
done

# --- UnInstall mode, several installations -------------------------------------------
uninstall_prefix() {
    bb_prefix "$1" nt40
    mkdir -p "$BB_C/dist"
    cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/ZELUNINS.EXE"
}
uninstall_prefix history-uninstall
three_recorded
BB_NAME=history-uninstall
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
title "ZEL Vantorix UnInstall"
text 1004 "This program will uninstall Vantorix from\nyour system."
click 1003
page 102
title "ZEL Vantorix UnInstall"
text 1001 "$UNINSTALL_HINT"
rows 1000 $ROWS
click 1
box "You must select a version to uninstall \nor choose CANCEL to exit." caption "UnInstall" icon exclamation buttons ok owner page press ok
running
select 1000 1
click 1
box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\Two." caption "ZEL Vantorix UnInstall" icon info buttons ok owner main press ok
exit 0
EOF
bb_expect_no_file "$BB_C/Two/VANTRX32.EXE"
bb_expect_file "$BB_C/One/VANTRX32.EXE"
bb_expect_file "$BB_C/Three/VANTRX32.EXE"
bb_expect_eq "$(tr -d '\r' <"$BB_C/windows/ZELSETUP.INI" | sed -n 2,4p)" 'TimesInstalled=2
number1=C:\One
number2=C:\Three' "history after removing C:\\Two"

# Cancel: the message captioned "UnInstall", then the end; nothing removed.
uninstall_prefix history-uninstall-cancel
three_recorded
BB_NAME=history-uninstall-cancel
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
page 102
key escape
box "$NOTHING" caption "UnInstall" icon info buttons ok owner page press ok
exit 0
EOF
bb_expect_eq "$(tr -d '\r' <"$BB_C/windows/ZELSETUP.INI" | sed -n 2,5p)" 'TimesInstalled=3
number1=C:\One
number2=C:\Two
number3=C:\Three' "history after Cancel"
bb_expect_file "$BB_C/One/VANTRX32.EXE"
bb_expect_file "$BB_C/Two/VANTRX32.EXE"
bb_expect_file "$BB_C/Three/VANTRX32.EXE"

# --- UnInstall welcome page ----------------------------------------------------------
# One installation: removed at once, without the list.
uninstall_prefix welcome-only
bb_stamped_file "$BB_C/Only Dir/VANTRX32.EXE" 1 B D
bb_history 'C:\Only Dir'
BB_NAME=welcome-only
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\Only Dir." caption "ZEL Vantorix UnInstall" icon info buttons ok owner main press ok
exit 0
EOF
bb_expect_no_file "$BB_C/Only Dir/VANTRX32.EXE"

# A count of 1 without number1: the history file is corrupt.
uninstall_prefix welcome-corrupt
printf '[Main]\r\nTimesInstalled=1\r\n' >"$BB_C/windows/ZELSETUP.INI"
BB_NAME=welcome-corrupt
bb_run_driver <<'EOF'
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
box "The file ZELSETUP.INI is corrupt.\nUnInstall cannot continue.  Exiting." caption "UnInstall" icon none buttons ok owner main press ok
exit 0
EOF

# Exit: one message and the end; no exit confirmation page.
uninstall_prefix welcome-exit
bb_stamped_file "$BB_C/One/VANTRX32.EXE" 1 B D
bb_history 'C:\One'
BB_NAME=welcome-exit
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
key escape
nobox 300
click 105
box "$NOTHING" caption "ZEL Vantorix UnInstall" icon info buttons ok owner page press ok
exit 0
EOF
bb_expect_file "$BB_C/One/VANTRX32.EXE"

# --- files in use: nothing is removed, two messages, the end --------------------------
# The removal counts a read-only recorded file as in use.
INUSE_TAIL='because some of\nthe Vantorix files in that directory\nare currently in use.'
uninstall_prefix inuse-welcome
bb_stamped_file "$BB_C/One/VANTRX32.EXE" 1 B D
bb_history 'C:\One'
chmod 444 "$BB_C/One/VANTRX32.EXE"
BB_NAME=inuse-welcome
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
box "UnInstall cannot remove ZEL Vantorix\nfrom C:\One $INUSE_TAIL" caption "ZEL Vantorix UnInstall" icon info buttons ok owner main press ok
box "$NOTHING" caption "ZEL Vantorix UnInstall" icon info buttons ok owner page press ok
exit 0
EOF
bb_expect_file "$BB_C/One/VANTRX32.EXE"
bb_expect_eq "$(grep -c 'number1=C:.One' "$BB_C/windows/ZELSETUP.INI")" 1 "entry of C:\\One kept"

uninstall_prefix inuse-list
three_recorded
chmod 444 "$BB_C/Three/VANTRX32.EXE"
BB_NAME=inuse-list
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
page 102
select 1000 2
click 1
box "UnInstall cannot remove ZEL Vantorix\nfrom C:\Three $INUSE_TAIL" caption "ZEL Vantorix UnInstall" icon info buttons ok owner main press ok
box "$NOTHING" caption "ZEL Vantorix UnInstall" icon info buttons ok owner page press ok
exit 0
EOF
bb_expect_file "$BB_C/Three/VANTRX32.EXE"
bb_expect_eq "$(grep -c '^number' "$BB_C/windows/ZELSETUP.INI")" 3 "entries kept"

# Replace mode: the confirmation page cannot remove the old installation, so
# Setup ends before copying anything.
bb_prefix inuse-replace nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
bb_stamped_file "$BB_C/Vantrx/VANTRX32.EXE" 1 B D
bb_history 'C:\Vantrx'
chmod 444 "$BB_C/Vantrx/VANTRX32.EXE"
BB_NAME=inuse-replace
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
click 1003
box "ZEL Vantorix v1.BD\nis already installed in:\n\n     C:\Vantrx\n\nDo you want to overwrite it?" press yes
page 106
click 1003
page 103
click 1003
box "UnInstall cannot replace ZEL Vantorix\nin C:\Vantrx $INUSE_TAIL" caption "ZEL Vantorix Setup" icon info buttons ok owner main press ok
box "Setup has not changed your system in any way." caption "ZEL Vantorix Setup" icon info buttons ok owner page press ok
exit 0
EOF
bb_expect_file "$BB_C/Vantrx/VANTRX32.EXE"
bb_expect_eq "$(grep -c 'number1=C:.Vantrx' "$BB_C/windows/ZELSETUP.INI")" 1 "entry of C:\\Vantrx kept"

bb_finish
