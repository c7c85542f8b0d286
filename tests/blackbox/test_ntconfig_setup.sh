#!/usr/bin/env bash
# The Windows NT configuration at the end of a whole Setup run (wizard command
# 506): an older installation registered under HKLM\SOFTWARE\ZEL\VANTRX gets
# its engine libraries back and gives up its event-log files, the previous
# recorded installation's logs move too, ZEL_NT.INI is written and recorded,
# and on Windows NT 3.1 (OS kind 0) the boot-time driver copy is refreshed.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/pages_lib.sh"

CONFIG_NT_INI=$'[ZELLOGGER]\r\ndirectory=C:\\Target\r\neventLevel=1               ; threshold\r\ntimeInterval=1             ; 1-120 minutes\r\n'

# A prefix with the distribution, an older registered installation in C:\OLD\,
# a recorded one in C:\Prev and a boot driver copy ending in the driver's name.
prepare() {
    bb_prefix "$1" "$2"
    bb_setup_dist "$BB_C/dist"
    bb_minimal_script "$BB_C/dist"
    mkdir -p "$BB_C/Target" "$BB_C/OLD" "$BB_C/windows/system32/drivers"
    echo "engine NT" >"$BB_C/windows/system32/ZELENGNT.DLL"
    echo "engine 32" >"$BB_C/windows/system32/ZELENG32.DLL"
    echo "logger" >"$BB_C/OLD/ZELELOG.EXE"
    echo "settings" >"$BB_C/OLD/zelelog.ini"
    echo "old log" >"$BB_C/OLD/ZELELOG.001"
    bb_stamped_file "$BB_C/Prev/VANTRX32.EXE"
    echo "previous log" >"$BB_C/Prev/ZELELOG.002"
    bb_history 'C:\Prev'
    printf 'boot driver, old\0ZELSCSI.SYS' >"$BB_C/NTBOOTDD.SYS"
    printf 'boot driver, new\0ZELSCSI.SYS' >"$BB_C/windows/system32/drivers/ZELSCSI.SYS"
    wh_wine "$BB_PREFIX" reg add 'HKLM\SOFTWARE\ZEL\VANTRX' /v PathName /d 'C:\OLD\' /f >/dev/null 2>&1
    start_progman
}

run_setup() {
    BB_NAME=$1
    bb_run_driver <<EOF2
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "C:\Target"
click 1003
page 106
click 1003
page 103
click 1003
$(finish_nt)
EOF2
    stop_progman
}

check_takeover() {
    bb_expect_eq "$(cat "$BB_C/OLD/ZELENGNT.DLL" 2>/dev/null)" "engine NT" "ZELENGNT.DLL in C:\\OLD"
    bb_expect_eq "$(cat "$BB_C/OLD/ZELENG32.DLL" 2>/dev/null)" "engine 32" "ZELENG32.DLL in C:\\OLD"
    bb_expect_no_file "$BB_C/windows/system32/ZELENGNT.DLL"
    bb_expect_no_file "$BB_C/windows/system32/ZELENG32.DLL"
    bb_expect_file "$BB_C/OLD/ZELELOG.EXE"
    bb_expect_file "$BB_C/OLD/zelelog.ini"
    bb_expect_no_file "$BB_C/OLD/ZELELOG.001"
    bb_expect_eq "$(cat "$BB_C/Target/ZELELOG.001" 2>/dev/null)" "old log" "ZELELOG.001 moved"
    bb_expect_no_file "$BB_C/Prev/ZELELOG.002"
    bb_expect_eq "$(cat "$BB_C/Target/ZELELOG.002" 2>/dev/null)" "previous log" "ZELELOG.002 moved"
    # SOFTWARE\ZEL itself stays: the SNMP agent's key lives under it.
    bb_expect_eq "$(bb_reg_query 'HKLM\SOFTWARE\ZEL' | grep -ci 'VANTRX')" 0 "HKLM\\SOFTWARE\\ZEL\\VANTRX deleted"
    printf '%s' "$CONFIG_NT_INI" >"$BB_TMP/ZEL_NT.INI"
    bb_expect_same "$BB_C/Target/ZEL_NT.INI" "$BB_TMP/ZEL_NT.INI"
    local section
    section=$(tr -d '\r' <"$BB_C/windows/ZELSETUP.INI" | sed -n '/^\[C:\\Target\]/,/^\[/p')
    bb_expect_eq "$(echo "$section" | grep '^Filecount=')" "Filecount=2" "Filecount of C:\\Target"
    bb_expect_eq "$(echo "$section" | grep '^file2=')" 'file2=C:\Target\ZEL_NT.INI' "file2 of C:\\Target"
}

# --- Windows NT 3.1 (OS kind 0): the boot driver copy is refreshed ---------------
prepare ntconfig-nt31 nt31
run_setup ntconfig-nt31
check_takeover
bb_expect_eq "$(cat "$BB_C/NTBOOTDD.SYS" | tr '\0' ' ')" "boot driver, new ZELSCSI.SYS" "NTBOOTDD.SYS replaced"
bb_expect_eq "$(cat "$BB_C/NTBOOTDD.BAK" 2>/dev/null | tr '\0' ' ')" "boot driver, old ZELSCSI.SYS" "NTBOOTDD.BAK"

# --- Windows NT 4.0 (OS kind 2): the boot driver copy is left alone --------------
prepare ntconfig-nt40 nt40
run_setup ntconfig-nt40
check_takeover
bb_expect_eq "$(cat "$BB_C/NTBOOTDD.SYS" | tr '\0' ' ')" "boot driver, old ZELSCSI.SYS" "NTBOOTDD.SYS untouched"
bb_expect_no_file "$BB_C/NTBOOTDD.BAK"

bb_finish
