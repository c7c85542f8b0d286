#!/usr/bin/env bash
# The Program Manager group seen from outside: whole Setup runs on Windows NT
# 4.0 with the test Program Manager (tools/progman) running beside SETUP.EXE,
# which records every command it receives; Program Manager absent or refusing
# the group; and Wine's own shell DDE server (tools/shelldde), which leaves
# .lnk files.
. "$(dirname "$0")/lib.sh"

NOT_INSTALLED='Vantorix has not been properly installed.\n\nYou should run Setup in its entirety at a later time to install ZEL Vantorix.'
NO_GROUP='Unable to add group to Program Manager'
PROGMAN=$BB_BUILD/tools/progman/progman.exe
SHELLDDE=$BB_BUILD/tools/shelldde/shelldde.exe

# A distribution in C:\dist: VANTRX32.EXE stamped with version $2 (three
# words, default 1 2 3) and, unless $3 is "noreadme", READ.ME; an unattended
# run into $1 with the application component only, or none when $1 is "-".
make_dist() {
    local dist=$BB_C/dist target=$1 version=${2:-1 2 3} files=2
    bb_setup_dist "$dist"
    cp "$dist/SETUP.EXE" "$dist/SETUP.ZEL"
    # shellcheck disable=SC2086
    bb_stamped_file "$dist/VANTRX32.EXE" $version
    printf 'Read me.\r\n' >"$dist/READ.ME"
    [ "${3:-}" = noreadme ] && files=1
    {
        printf '[Main]\r\nVersion=1.00\r\nFilecount=%d\r\n' $files
        printf 'file1=1 VANTRX32.EXE VANTRX32.EXE %d\r\n' "$(stat -c %s "$dist/VANTRX32.EXE")"
        if [ $files = 2 ]; then
            printf 'file2=1 READ.ME READ.ME %d\r\n' "$(stat -c %s "$dist/READ.ME")"
        fi
        if [ "$target" != - ]; then
            printf '[Autorun]\r\nPathname=%s\r\nVANTRX=YES\r\nSNMP=NO\r\n' "$target"
        fi
    } >"$dist/SETUP.INI"
}

# Starts a DDE server of ours in the prefix (the test Program Manager with
# extra options, or with "shelldde" as first word Wine's shell DDE host) and
# waits until it has registered.
SERVER_PID=
start_server() {
    local exe=$PROGMAN
    local -a args=(--log 'C:\pm.log' --state 'C:\pm.state')
    if [ "${1:-}" = shelldde ]; then
        exe=$SHELLDDE
        args=()
        shift
    fi
    rm -f "$BB_C/pm.ready" "$BB_C/pm.stop"
    wh_wine "$BB_PREFIX" "$exe" "${args[@]}" --ready 'C:\pm.ready' --stop 'C:\pm.stop' --timeout 120000 "$@" \
        >/dev/null 2>&1 &
    SERVER_PID=$!
    local i
    for i in $(seq 1 300); do
        [ -e "$BB_C/pm.ready" ] && return 0
        sleep 0.1
    done
    bb_fail "the DDE server $exe did not start"
}

stop_server() {
    touch "$BB_C/pm.stop"
    wait "$SERVER_PID" 2>/dev/null
}

# Execute lines of the log, accepted or refused, without their tag.
executed() { sed -n -e 's/^EXECUTE //p' -e 's/^EXECUTE-FAILED //p' "$BB_C/pm.log"; }

unattended() {
    BB_NAME=$1
    bb_run_driver <<EOF
timeout 30000
start "C:\dist\SETUP.EXE"
exit 0
EOF
}

# --- a first installation: the eight commands, in order --------------------------
bb_prefix progman-first nt40
make_dist 'C:\Vantrx'
start_server
unattended progman-first
stop_server
expected='[CreateGroup(ZEL Vantorix)]
[ShowGroup(ZEL Vantorix, 2)]
[ShowGroup(ZEL Vantorix, 1)]
[AddItem(C:\Vantrx\VANTRX32.EXE,ZEL Vantorix v1.23)]
[ReplaceItem("UnInstall")]
[AddItem(C:\windows\ZELUNINS.EXE -uninstall,UnInstall,C:\windows\ZELUNINS.EXE,1)]
[ReplaceItem("ReadMe")]
[AddItem(C:\windows\NOTEPAD.EXE C:\Vantrx\read.me,ReadMe,C:\windows\NOTEPAD.EXE)]'
bb_expect_eq "$(executed)" "$expected" "$BB_NAME: commands received"
bb_expect_eq "$(bb_count '^CONNECT$' "$BB_C/pm.log")" 8 "$BB_NAME: one conversation per command"
bb_expect_eq "$(bb_count '^saw box' "$BB_TRANSCRIPT")" 0 "$BB_NAME: message boxes shown"
# The version the group shows is the one recorded.
bb_expect_grep '^Version=1\.23' "$BB_C/windows/ZELSETUP.INI" "$BB_NAME: recorded version"

# --- a second version beside it, READ.ME not among its files ---------------------
# Program Manager runs again with the groups of the first run: two application
# items, one UnInstall item, and no ReadMe item any more.
make_dist 'C:\Second' "2 0 0" noreadme
rm -f "$BB_C/pm.log"
start_server
unattended progman-second
stop_server
bb_expect_eq "$(executed | sed -n 4p)" '[AddItem(C:\Second\VANTRX32.EXE,ZEL Vantorix v2.00)]' \
    "$BB_NAME: application item"
bb_expect_eq "$(executed | wc -l)" 7 "$BB_NAME: commands received"
items=$(awk -F '\t' '$1 == "item" { print $2 "|" $4 }' "$BB_C/pm.state")
bb_expect_eq "$items" 'ZEL Vantorix v1.23|C:\Vantrx
UnInstall|C:\windows
ZEL Vantorix v2.00|C:\Second' "$BB_NAME: items of the group (name|default directory)"

# --- Program Manager absent or refusing: the box, then the warning of 501 --------
# Interactive, since an unattended run ends without the warning.
absent() {
    BB_NAME=$1
    mkdir -p "$BB_C/Vantrx"
    bb_run_driver <<EOF
timeout 30000
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "C:\Vantrx"
click 1003
page 106
click 1006
click 1003
page 103
click 1003
box "$NO_GROUP" caption "Error" icon info buttons ok owner main press ok
box "$NOT_INSTALLED" icon exclamation buttons ok owner main press ok
exit 0
EOF
    bb_expect_eq "$(bb_count '^saw box' "$BB_TRANSCRIPT")" 2 "$BB_NAME: message boxes shown"
    bb_expect_file "$BB_C/Vantrx/VANTRX32.EXE"
    bb_expect_no_file "$BB_C/windows/ZELSETUP.INI"
}

bb_prefix progman-absent nt40
make_dist -
absent progman-absent

# Refusing the conversation: exactly one attempt was made.
bb_prefix progman-refuse-connect nt40
make_dist -
start_server --refuse-connect
absent progman-refuse-connect
stop_server
bb_expect_eq "$(cat "$BB_C/pm.log")" "CONNECT refused" "$BB_NAME: conversations tried"

# Refusing CreateGroup: nothing follows it.
bb_prefix progman-refuse-create nt40
make_dist -
start_server --refuse-create
absent progman-refuse-create
stop_server
bb_expect_eq "$(executed)" "[CreateGroup(ZEL Vantorix)]" "$BB_NAME: commands received"

# --- Wine's own Program Manager: links in the group folder --------------------
# Its AddItem looks the whole command line up as a file, so it refuses the
# UnInstall and ReadMe items, whose command lines carry an argument; the
# application item becomes a link. Its group windows never end: the prefix's
# wineserver is killed with the prefix.
bb_prefix progman-wine nt40
make_dist 'C:\Vantrx'
start_server shelldde
unattended progman-wine
folder=$(find "$BB_C/users" -type d -path '*Start Menu/Programs/ZEL Vantorix' 2>/dev/null | head -n 1)
if [ -n "$folder" ]; then
    bb_expect_file "$folder/ZEL Vantorix v1.23.lnk"
    bb_expect_grep 'VANTRX32\.EXE' "$folder/ZEL Vantorix v1.23.lnk" "$BB_NAME: link names its target"
else
    bb_fail "$BB_NAME: no group folder under the Start Menu"
fi
bb_expect_grep '^Version=1\.23' "$BB_C/windows/ZELSETUP.INI" "$BB_NAME: recorded version"

# --- Windows 95: Start Menu shortcuts instead, no Program Manager at all --------
# The test Program Manager runs beside it and hears nothing.
bb_prefix shortcuts-win95 win95
make_dist 'C:\Vantrx'
cp "$BB_C/dist/SETUP.INI" "$BB_C/dist/SETUP95.INI"
start_server
BB_NAME=shortcuts-win95
# The driver check informs, even in an unattended run, and the run goes on.
bb_run_driver <<EOF
timeout 30000
start "C:\dist\SETUP.EXE"
box "There is no ZEL driver installed on your system.\n\nYou must install the ZEL driver by choosing\nSystem in the Control Panel." press ok
exit 0
EOF
stop_server
bb_expect_eq "$(cat "$BB_C/pm.log" 2>/dev/null)" "" "$BB_NAME: Program Manager log"
folder="$BB_C/windows/Start Menu/Programs/ZEL Vantorix"
for link in "ZEL Vantorix v1.23" ReadMe unInstall; do
    bb_expect_file "$folder/$link.lnk"
done
bb_expect_eq "$(find "$folder" -type f | wc -l)" 3 "$BB_NAME: files in the group folder"
bb_expect_grep '^Version=1\.23' "$BB_C/windows/ZELSETUP.INI" "$BB_NAME: recorded version"

bb_finish
