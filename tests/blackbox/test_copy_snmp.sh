#!/usr/bin/env bash
# The SNMP agent component seen from outside: unattended runs with SNMP=YES
# register the agent in the prefix's registry and expand the runtime
# libraries (compressed with mscompress from the prefix's own copies, so the
# system directory keeps the same bytes); a disk without them still installs;
# removal through the installed zelunins.exe repoints the agent to the
# remaining installation and, for the last one, deletes its keys. Also the
# Windows 95 personality, where the agent is registered too and the driver
# check follows the copy.
. "$(dirname "$0")/lib.sh"

AGENT='HKLM\SOFTWARE\ZEL\SNMP\SCSI_SYSTEM_AGENT\CurrentVersion'
AGENTS='HKLM\SYSTEM\CurrentControlSet\Services\SNMP\Parameters\ExtensionAgents'
NODRIVER='There is no ZEL driver installed on your system.\n\nYou must install the ZEL driver by choosing\nSystem in the Control Panel.'

# no_key KEY: counts a check that KEY does not exist in the prefix's registry.
no_key() {
    if wh_wine "$BB_PREFIX" reg query "$1" >/dev/null 2>&1; then bb_fail "key should not exist: $1"; else bb_pass; fi
}

# make_disk DIR INSTALLDIR SCRIPTNAME [with-runtime]: a one-disk distribution
# with an unattended run, SNMP=YES, VANTRX=NO.
make_disk() {
    local dir=$1 target=$2 name=$3
    mkdir -p "$dir"
    cp "$BB_BUILD/SETUP.EXE" "$dir/SETUP.EXE"
    cp "$dir/SETUP.EXE" "$dir/SETUP.ZEL"
    bb_stamped_file "$dir/VANTRX32.EXE"
    printf 'a .386 file\r\n' >"$dir/VANTRX.386"
    if [ "${4:-}" = with-runtime ]; then
        cp "$BB_C/windows/system32/msvcrt.dll" "$BB_TMP/MSVCRT.DL"
        cp "$BB_C/windows/system32/msvcrt40.dll" "$BB_TMP/MSVCRT40.DL"
        (cd "$BB_TMP" && mscompress MSVCRT.DL MSVCRT40.DL) || bb_fail "mscompress"
        mv "$BB_TMP/MSVCRT.DL_" "$BB_TMP/MSVCRT40.DL_" "$dir/"
    fi
    {
        printf '[Main]\r\nVersion=1.BD\r\nFilecount=3\r\n'
        printf 'file1=1 VANTRX32.EXE VANTRX32.EXE %d\r\n' "$(stat -c %s "$dir/VANTRX32.EXE")"
        printf 'file2=1 SETUP.ZEL SETUP.ZEL %d\r\n' "$(stat -c %s "$dir/SETUP.ZEL")"
        printf 'file3=1 VANTRX.386 VANTRX.386 12\r\n'
        printf '[Autorun]\r\nPathname=%s\r\nVANTRX=NO\r\nSNMP=YES\r\n' "$target"
    } >"$dir/$name"
}

# --- Windows NT: register, a second installation, then the two removals -------
bb_prefix snmp-nt nt40
cp "$BB_C/windows/system32/msvcrt.dll" "$BB_TMP/msvcrt.orig"
cp "$BB_C/windows/system32/msvcrt40.dll" "$BB_TMP/msvcrt40.orig"
make_disk "$BB_C/disk1" 'C:\Vantrx' SETUP.INI with-runtime
BB_NAME=snmp-register
bb_run_driver <<EOF
start "C:\disk1\SETUP.EXE"
exit 0
EOF
bb_expect_grep '^ *Pathname +REG_EXPAND_SZ +C:\\Vantrx\\ZELAGENT\.DLL$' <(bb_reg_query "$AGENT") "Pathname after the first run"
wh_wine "$BB_PREFIX" reg export "$AGENTS" "$(bb_win "$BB_TMP/agents.reg")" /y >/dev/null 2>&1
bb_expect_grep '^"zelScsi"="SOFTWARE\\\\ZEL\\\\SNMP\\\\SCSI_SYSTEM_AGENT\\\\CurrentVersion"' \
    <(iconv -f UTF-16LE -t UTF-8 "$BB_TMP/agents.reg" 2>/dev/null | tr -d '\r') "zelScsi in ExtensionAgents"
bb_expect_same "$BB_C/windows/system32/msvcrt.dll" "$BB_TMP/msvcrt.orig"
bb_expect_same "$BB_C/windows/system32/msvcrt40.dll" "$BB_TMP/msvcrt40.orig"
bb_expect_file "$BB_C/windows/zelunins.exe"

# A disk without the runtime libraries still registers and installs.
make_disk "$BB_C/disk2" 'C:\Second' SETUP.INI
BB_NAME=snmp-no-runtime
bb_run_driver <<EOF
start "C:\disk2\SETUP.EXE"
exit 0
EOF
bb_expect_grep '^ *Pathname +REG_EXPAND_SZ +C:\\Second\\ZELAGENT\.DLL$' <(bb_reg_query "$AGENT") "Pathname after the second run"
bb_expect_file "$BB_C/Second/VANTRX32.EXE"
bb_expect_same "$BB_C/windows/system32/msvcrt.dll" "$BB_TMP/msvcrt.orig"

# Removing the newer installation points the agent at the remaining one, as REG_SZ.
BB_NAME=snmp-repoint
bb_run_driver <<EOF
start "C:\windows\zelunins.exe" "-uninstall"
page 100
click 1003
page 102
select 1000 1
click 1
box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\Second." press ok
exit 0
EOF
bb_expect_grep '^ *Pathname +REG_SZ +C:\\Vantrx\\ZELAGENT\.DLL$' <(bb_reg_query "$AGENT") "Pathname repointed"
bb_expect_grep 'zelScsi' <(bb_reg_query "$AGENTS") "zelScsi kept while an installation remains"

# Removing the last one deletes the agent's keys and value; SOFTWARE\ZEL stays.
BB_NAME=snmp-remove-last
bb_run_driver <<EOF
start "C:\windows\zelunins.exe" "-uninstall"
page 100
click 1003
box "UnInstall has successfully removed ZEL Vantorix\nfrom C:\Vantrx." press ok
exit 0
EOF
no_key 'HKLM\SOFTWARE\ZEL\SNMP'
bb_expect_grep 'ZEL' <(wh_wine "$BB_PREFIX" reg query 'HKLM\SOFTWARE' 2>/dev/null | tr -d '\r') "SOFTWARE\\ZEL kept"
bb_expect_eq "$(bb_count 'zelScsi' <(bb_reg_query "$AGENTS"))" 0 "zelScsi after the last removal"

# --- the component cleared: no key, no runtime library -----------------------
bb_prefix snmp-cleared nt40
make_disk "$BB_C/disk1" 'C:\Vantrx' SETUP.INI with-runtime
sed -i 's/SNMP=YES/SNMP=NO/' "$BB_C/disk1/SETUP.INI"
rm -f "$BB_C/windows/system32/msvcrt40.dll"
BB_NAME=snmp-cleared
bb_run_driver <<EOF
start "C:\disk1\SETUP.EXE"
exit 0
EOF
no_key 'HKLM\SOFTWARE\ZEL\SNMP'
bb_expect_no_file "$BB_C/windows/system32/msvcrt40.dll"
bb_expect_file "$BB_C/Vantrx/VANTRX32.EXE"

# --- Windows 95: registered as well; the driver check speaks after the copy ---
bb_prefix snmp-win95 win95
make_disk "$BB_C/disk1" 'C:\Vantrx' SETUP95.INI
BB_NAME=snmp-win95
bb_run_driver <<EOF
start "C:\disk1\SETUP.EXE"
box "$NODRIVER" icon exclamation buttons ok owner main press ok
exit 0
EOF
bb_expect_grep '^ *Pathname +REG_EXPAND_SZ +C:\\Vantrx\\ZELAGENT\.DLL$' <(bb_reg_query "$AGENT") "Pathname on Windows 95"
bb_expect_file "$BB_C/windows/zelunins.exe"
bb_expect_file "$BB_C/windows/vantrx.386"
bb_expect_no_file "$BB_C/Vantrx/SETUP.ZEL"
bb_expect_file "$BB_C/Vantrx/VANTRX.386"

bb_finish
