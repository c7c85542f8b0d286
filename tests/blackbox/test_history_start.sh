#!/usr/bin/env bash
# Start-up with a setup script and an install history: the welcome page comes
# up, and the history has been brought in line with the executables on disk
# by then (a directory whose VANTRX32.EXE is gone is forgotten, a recorded
# version that differs from the stamp is corrected).
. "$(dirname "$0")/lib.sh"

ini_text() { tr -d '\r' <"$1"; }

# --- a valid SETUP.INI and no history: the welcome page -------------------------
bb_prefix history-none nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
BB_NAME=history-none
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
nobox 300
running
EOF
bb_expect_no_file "$BB_C/windows/ZELSETUP.INI"

# --- three recorded installations, the second one's executable deleted ---------
bb_prefix history-stale nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
bb_stamped_file "$BB_C/One/VANTRX32.EXE" 1 B D
mkdir -p "$BB_C/Two"
bb_stamped_file "$BB_C/Three/VANTRX32.EXE" 1 K 2
bb_history 'C:\One' 'C:\Two' 'C:\Three'
BB_NAME=history-stale
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
nobox 300
running
EOF
expected='[Main]
TimesInstalled=2
number1=C:\One
number2=C:\Three
[C:\One]
Version=1.BD
Filecount=1
file1=C:\One\VANTRX32.EXE
WhenInstalled=TUE 09/03/96
[C:\Three]
Version=1.K2
Filecount=1
file1=C:\Three\VANTRX32.EXE
WhenInstalled=TUE 09/03/96'
bb_expect_eq "$(ini_text "$BB_C/windows/ZELSETUP.INI")" "$expected" "history after start-up"

# --- UnInstall reconciles the same way, without any setup script ----------------
bb_prefix history-uninstall nt40
mkdir -p "$BB_C/dist"
cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/ZELUNINS.EXE"
mkdir -p "$BB_C/Gone"
bb_stamped_file "$BB_C/Kept/VANTRX32.EXE" 1 B D
bb_history 'C:\Gone' 'C:\Kept'
BB_NAME=history-uninstall
bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
running
EOF
bb_expect_eq "$(ini_text "$BB_C/windows/ZELSETUP.INI" | head -n 3)" '[Main]
TimesInstalled=1
number1=C:\Kept' "history after UnInstall start-up"
bb_expect_eq "$(grep -c 'C:\\Gone' "$BB_C/windows/ZELSETUP.INI")" 0 "no trace of C:\\Gone"

bb_finish
