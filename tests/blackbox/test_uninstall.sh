#!/usr/bin/env bash
# UnInstall runs of the finished program: ZELUNINS.EXE -uninstall removes one
# recorded installation through the welcome page (one recorded) or the
# version-history page (two recorded), with our test Program Manager serving
# the group, the logger service registered with Wine's service manager and
# the SNMP agent registration in Wine's registry. Afterwards the files, the
# history, the commands Program Manager received, the service and the
# registry are checked.
. "$(dirname "$0")/lib.sh"

ini_text() { tr -d '\r' <"$1"; }
PROGMAN=$BB_BUILD/tools/progman/progman.exe

# An installation in C:\<name>: stamped program, agent, service program, READ.ME
# (when asked), recorded with all of them.
make_install() {
    local name=$1 readme=${2:-1} dir=$BB_C/$1
    bb_stamped_file "$dir/VANTRX32.EXE"
    echo agent >"$dir/ZELAGENT.DLL"
    echo service >"$dir/ZELSERV.EXE"
    [ "$readme" = 1 ] && echo "read me" >"$dir/READ.ME"
    true
}

# History recording the directories with every file each holds.
write_history() {
    local ini=$BB_C/windows/ZELSETUP.INI n=0 name
    {
        printf '[Main]\r\nTimesInstalled=%d\r\n' $#
        for name in "$@"; do
            n=$((n + 1))
            printf 'number%d=C:\\%s\r\n' $n "$name"
        done
        for name in "$@"; do
            local files=("$BB_C/$name"/*) k=0 f
            printf '[C:\\%s]\r\nVersion=1.BD\r\nFilecount=%d\r\nWhenInstalled=TUE 09/03/96\r\n' "$name" ${#files[@]}
            for f in "${files[@]}"; do
                k=$((k + 1))
                printf 'file%d=C:\\%s\\%s\r\n' $k "$name" "$(basename "$f")"
            done
        done
    } >"$ini"
}

common_windows_files() {
    mkdir -p "$BB_C/dist"
    cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/ZELUNINS.EXE"
    cp "$BB_BUILD/SETUP.EXE" "$BB_C/windows/ZELUNINS.EXE"
    echo vxd >"$BB_C/windows/VANTRX.386"
}

create_service() {
    wh_wine "$BB_PREFIX" sc create ZELSRV binpath= "$1" start= auto >/dev/null 2>&1
}

register_snmp() {
    wh_wine "$BB_PREFIX" reg add 'HKLM\SOFTWARE\ZEL\SNMP\SCSI_SYSTEM_AGENT\CurrentVersion' /v Pathname \
        /t REG_EXPAND_SZ /d "$1\\ZELAGENT.DLL" /f >/dev/null 2>&1
    wh_wine "$BB_PREFIX" reg add 'HKLM\SYSTEM\CurrentControlSet\Services\SNMP\Parameters\ExtensionAgents' \
        /v zelScsi /t REG_SZ /d 'SOFTWARE\ZEL\SNMP\SCSI_SYSTEM_AGENT\CurrentVersion' /f >/dev/null 2>&1
}

# Our Program Manager, in the background, with the group given as its state file.
start_progman() {
    PM=$BB_TMP/progman.$BB_NAME
    mkdir -p "$PM"
    printf '%s' "$1" >"$PM/state"
    wh_wine "$BB_PREFIX" "$PROGMAN" --log "$(bb_win "$PM/log")" --state "$(bb_win "$PM/state")" \
        --ready "$(bb_win "$PM/ready")" --stop "$(bb_win "$PM/stop")" --timeout 120000 >/dev/null 2>&1 &
    PM_PID=$!
    for _ in $(seq 200); do [ -e "$PM/ready" ] && return 0; sleep 0.05; done
    bb_fail "Program Manager did not start"
}

stop_progman() {
    touch "$PM/stop"
    wait "$PM_PID" 2>/dev/null
}

executed() { sed -n 's/^EXECUTE //p' "$PM/log" | tr -d '\r'; }

group_state() { # the group of both installations, ReadMe opening C:\$1\read.me
    local w='C:\windows'
    printf 'active\tZEL Vantorix\ngroup\tZEL Vantorix\t%s\\ZELVANTO.GRP\t1\t-1\n' "$w"
    printf 'item\tZEL Vantorix v1.BD\tC:\\Old\\VANTRX32.EXE\tc:\\old\tC:\\Old\\VANTRX32.EXE\t0\t0\t0\t0\t0\n'
    printf 'item\tZEL Vantorix v2.00\tC:\\New\\VANTRX32.EXE\tC:\\New\tC:\\New\\VANTRX32.EXE\t0\t75\t0\t0\t0\n'
    printf 'item\tUnInstall\t%s\\ZELUNINS.EXE -uninstall\t%s\t%s\\ZELUNINS.EXE\t1\t150\t0\t0\t0\n' "$w" "$w" "$w"
    printf 'item\tReadMe\t%s\\NOTEPAD.EXE C:\\%s\\read.me\t%s\t%s\\NOTEPAD.EXE\t0\t225\t0\t0\t0\n' "$w" "$1" "$w" "$w"
}

if [ ! -e "$PROGMAN" ]; then
    echo "SKIP: the test Program Manager is not built ($PROGMAN)" >&2
    exit 0
fi

# --- the only installation on Windows NT: everything goes ------------------------
bb_prefix uninstall-only nt40
common_windows_files
make_install Old
write_history Old
create_service 'C:\Old\ZELSERV.EXE'
register_snmp 'C:\Old'
start_progman "$(group_state Old)"
BB_NAME=uninstall-only
bb_run_driver <<'EOF2'
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\\Old." icon info press ok
exit 0
EOF2
stop_progman
bb_expect_no_file "$BB_C/Old"
bb_expect_no_file "$BB_C/windows/ZELSETUP.INI"
bb_expect_no_file "$BB_C/windows/VANTRX.386"
bb_expect_file "$BB_C/windows/ZELUNINS.EXE"
bb_expect_eq "$(executed)" "[DeleteGroup(ZEL Vantorix)]" "Program Manager commands"
bb_expect_eq "$(grep -c '^group' "$PM/state")" 0 "groups left"
bb_expect_eq "$(bb_reg_query 'HKLM\SYSTEM\CurrentControlSet\Services\ZELSRV' ImagePath)" "" "service"
bb_expect_eq "$(bb_reg_query 'HKLM\SOFTWARE\ZEL' | grep -ci 'SNMP')" 0 "SNMP agent key under SOFTWARE\\ZEL"
bb_expect_eq "$(bb_reg_query 'HKLM\SYSTEM\CurrentControlSet\Services\SNMP\Parameters\ExtensionAgents' zelScsi)" "" \
    "zelScsi"

# --- the older of two, chosen on the version-history page ------------------------
bb_prefix uninstall-older nt40
common_windows_files
make_install Old
make_install New
write_history Old New
create_service 'C:\Old\ZELSERV.EXE'
register_snmp 'C:\Old'
start_progman "$(group_state Old)"
BB_NAME=uninstall-older
bb_run_driver <<'EOF2'
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
page 102
rows 1000 "v1.BD   installed   TUE 09/03/96   into   C:\\Old" "v1.BD   installed   TUE 09/03/96   into   C:\\New"
select 1000 0
click 1
box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\\Old." icon info press ok
exit 0
EOF2
stop_progman
expected='[ShowGroup(ZEL Vantorix, 2)]
[ShowGroup(ZEL Vantorix, 1)]
[ReplaceItem(ZEL Vantorix v1.BD)]
[ReplaceItem(ZEL Vantorix v2.00)]
[ReplaceItem(UnInstall)]
[ReplaceItem(ReadMe)]
[AddItem(C:\windows\NOTEPAD.EXE C:\New\read.me,ReadMe,C:\windows\NOTEPAD.EXE)]
[AddItem(C:\windows\ZELUNINS.EXE -uninstall,UnInstall,C:\windows\ZELUNINS.EXE,1)]
[AddItem(C:\New\VANTRX32.EXE,ZEL Vantorix v2.00,C:\New\VANTRX32.EXE,0)]'
bb_expect_eq "$(executed)" "$expected" "Program Manager commands"
bb_expect_eq "$(grep -c '^item' "$PM/state")" 3 "items left"
bb_expect_no_file "$BB_C/Old"
bb_expect_file "$BB_C/New/VANTRX32.EXE"
bb_expect_file "$BB_C/windows/VANTRX.386"
bb_expect_eq "$(ini_text "$BB_C/windows/ZELSETUP.INI" | head -n 3)" '[Main]
TimesInstalled=1
number1=C:\New' "history"
bb_expect_eq "$(bb_reg_query 'HKLM\SYSTEM\CurrentControlSet\Services\ZELSRV' ImagePath)" 'C:\New\ZELSERV.EXE' "service"
bb_expect_eq "$(bb_reg_query 'HKLM\SOFTWARE\ZEL\SNMP\SCSI_SYSTEM_AGENT\CurrentVersion' Pathname)" \
    'C:\New\ZELAGENT.DLL' "SNMP agent path"

# --- a read-only file: the run reports it and nothing changes ----------------------
bb_prefix uninstall-inuse nt40
common_windows_files
make_install Old
write_history Old
chmod a-w "$BB_C/Old/ZELSERV.EXE"
cp "$BB_C/windows/ZELSETUP.INI" "$BB_TMP/history.before"
start_progman "$(group_state Old)"
BB_NAME=uninstall-inuse
bb_run_driver <<'EOF2'
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
box "UnInstall cannot remove ZEL Vantorix\nfrom C:\\Old because some of\nthe Vantorix files in that directory\nare currently in use." icon info press ok
box "UnInstall has not changed your system in any way." icon info press ok
exit 0
EOF2
stop_progman
bb_expect_same "$BB_C/windows/ZELSETUP.INI" "$BB_TMP/history.before"
bb_expect_eq "$(ls "$BB_C/Old" | tr '\n' ' ')" "READ.ME VANTRX32.EXE ZELAGENT.DLL ZELSERV.EXE " "files left"
bb_expect_eq "$(cat "$PM/log" 2>/dev/null)" "" "Program Manager events"
bb_expect_file "$BB_C/windows/VANTRX.386"
chmod u+w "$BB_C/Old/ZELSERV.EXE"

# --- Windows 95: the Start Menu folder goes, the history stays ---------------------
bb_prefix uninstall-95 win95
common_windows_files
make_install Old 0
write_history Old
menu="$BB_C/windows/Start Menu/Programs/ZEL Vantorix"
mkdir -p "$menu"
for link in "ZEL Vantorix v1.BD" ReadMe unInstall; do echo link >"$menu/$link.lnk"; done
BB_NAME=uninstall-95
bb_run_driver <<'EOF2'
start "C:\dist\ZELUNINS.EXE" "-uninstall"
page 100
click 1003
box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\\Old." icon info press ok
exit 0
EOF2
bb_expect_no_file "$BB_C/Old"
bb_expect_no_file "$menu"
bb_expect_file "$BB_C/windows/Start Menu/Programs"
bb_expect_file "$BB_C/windows/VANTRX.386"
bb_expect_eq "$(ini_text "$BB_C/windows/ZELSETUP.INI")" '[Main]
TimesInstalled=0' "history"

bb_finish
