#!/usr/bin/env bash
# The install-path page seen from outside (Windows NT 4.0 unless said):
# rejected and accepted names, completion against the source directory, the
# create question, free space (a small drive, and more than 4 GiB), and the
# overwrite question for recorded installations.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/pages_lib.sh"

INVALID='The pathname you have entered is invalid.'
CAPTION='ZEL Vantorix Setup'

# A setup script in DIR whose files together need the given byte counts.
script_needing() {
    local dir=$1 n=0 size
    shift
    mkdir -p "$dir"
    bb_stamped_file "$dir/VANTRX32.EXE"
    {
        printf '[Main]\r\nVersion=1.BD\r\nFilecount=%d\r\n' $#
        for size in "$@"; do
            n=$((n + 1))
            printf 'file%d=1 VANTRX32.EXE F%d.EXE %s\r\n' $n $n "$size"
        done
    } >"$dir/SETUP.INI"
    cp "$dir/SETUP.INI" "$dir/SETUP95.INI"
}

# Steps that type NAME, press Continue and expect the invalid-name box and
# the page to stay with NAME selected.
rejected() {
    cat <<EOF
type 1001 "$1"
click 1003
box "$INVALID" caption "$CAPTION" icon info buttons ok owner main press ok
sleep 300
focus 1001
text 1001 "$1"
EOF
}

# --- rejected names: each forbidden character, two dots, a misplaced colon ------
bb_prefix path-names nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
mkdir -p "$BB_C/dir.one/file.two" "$BB_C/New Folder"
BB_NAME=path-rejected
{
    printf 'start "C:\\dist\\SETUP.EXE"\npage 100\nclick 1003\npage 101\n'
    for c in '^' '&' '*' '=' '|' ';' ',' '<' '>' '?' '/' '\"'; do
        rejected "C:\\Van${c}trx"
    done
    rejected "${c}C:\\Vantrx"
    rejected 'a.b.c'
    rejected 'C:\x:y'
    printf 'nobox 300\nrunning\n'
} | bb_run_driver

# --- accepted names go on to the components page ---------------------------------
for name in 'C:\dir.one\file.two' 'C:\New Folder'; do
    BB_NAME="path-accepted $name"
    bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "$name"
click 1003
page 106
click 101
page 101
text 1001 "$name"
EOF
done

# --- completion against the source directory -------------------------------------
# Empty: the source directory and a backslash, which exists.
BB_NAME=path-empty
bb_run_driver <<'EOF'
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 ""
click 1003
page 106
click 101
page 101
text 1001 "C:\dist\\"
EOF

# From drive A:, both Vantrx and \Vantrx become A:\Vantrx; the directory is
# missing: Cancel keeps the page with the entry as typed, OK goes on and
# creates nothing yet.
mkdir -p "$BB_TMP/floppy"
bb_setup_dist "$BB_TMP/floppy"
bb_minimal_script "$BB_TMP/floppy"
bb_drive A: "$BB_TMP/floppy"
MISSING='The path A:\\Vantrx does not exist.\nWould you like to create it?'
BB_NAME=path-from-a
bb_run_driver <<EOF
start "A:\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "Vantrx"
click 1003
box "$MISSING" caption "Setup" icon exclamation buttons okcancel owner page press cancel
sleep 300
focus 1001
text 1001 "Vantrx"
type 1001 "\Vantrx"
click 1003
box "$MISSING" caption "Setup" icon exclamation buttons okcancel owner page press ok
page 106
click 101
page 101
text 1001 "A:\Vantrx"
EOF
bb_expect_no_file "$BB_TMP/floppy/Vantrx"

# A completed path longer than 127 characters is refused, not cut.
long=$(printf 'L%.0s' $(seq 1 120))
BB_NAME=path-too-long
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
$(rejected "$long")
EOF

# A drive that does not exist is no place to install: the invalid-name box.
BB_NAME=path-no-drive
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
$(rejected 'Q:\Vantrx')
EOF

# --- more than 4 GiB free: 4,000,000,000 bytes required still fit ----------------
bb_prefix path-big nt40
bb_setup_dist "$BB_C/dist"
script_needing "$BB_C/dist" 2000000000 2000000000
mkdir -p "$BB_C/Target"
free=$(($(stat -f -c '%a' "$BB_C") * $(stat -f -c '%S' "$BB_C")))
if [ "$free" -gt 4294967296 ]; then
    BB_NAME=path-big
    bb_run_driver <<'EOF'
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "C:\Target"
click 1003
page 106
EOF
else
    bb_log "skipped path-big: only $free bytes free on the test drive"
fi

# --- not enough space on a 1 MB drive: the drive named by two characters --------
small=$BB_TMP/small
mkdir -p "$small"
if mount -t tmpfs -o size=1m tmpfs "$small" 2>/dev/null; then
    trap 'umount "$small" 2>/dev/null; bb_cleanup' EXIT
    for version in nt40 win95; do
        bb_prefix "path-small-$version" "$version"
        bb_setup_dist "$BB_C/dist"
        script_needing "$BB_C/dist" 3000000
        bb_drive T: "$small"
        avail=$(($(stat -f -c '%a' "$small") * $(stat -f -c '%S' "$small")))
        NOSPACE="There is not enough free space on drive T:\n\nSpace Required:  3000000\nSpace Available:  $avail\n"
        BB_NAME="path-small-$version"
        bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "T:\Vantrx"
click 1003
box "$NOSPACE" caption "Setup" icon exclamation buttons ok owner page press ok
page 101
text 1001 "T:\Vantrx"
EOF
    done
    umount "$small"
else
    bb_log "skipped path-small: cannot mount a tmpfs here"
fi

# --- recorded installations: the overwrite question --------------------------------
bb_prefix path-recorded nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
bb_stamped_file "$BB_C/Vantrx/VANTRX32.EXE" 2 1 A
bb_history 'C:\Vantrx'
start_progman
question() {
    printf 'ZEL Vantorix v2.1A\\nis already installed in:\\n\\n     %s\\n\\nDo you want to overwrite it?' "$1"
}
# Letter case does not matter; No keeps the page. A trailing backslash is
# another text: no question, and the directory exists, so on to 106.
BB_NAME=path-recorded-no
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "c:\VANTRX"
click 1003
box "$(question 'c:\\VANTRX')" caption "Setup" icon exclamation buttons yesno owner page press no
sleep 300
focus 1001
text 1001 "c:\VANTRX"
type 1001 "C:\Vantrx\\\\"
click 1003
page 106
EOF

# Yes: replace mode. The confirmation page then removes the old installation
# before copying: its executable and its history entry are gone.
BB_NAME=path-recorded-yes
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "C:\Vantrx"
click 1003
box "$(question 'C:\\Vantrx')" caption "Setup" icon exclamation buttons yesno owner page press yes
page 106
click 1003
page 103
text 1008 "C:\Vantrx"
click 1003
$(finish_nt)
EOF
# The old installation (v2.1A) was removed, the new one copied and recorded once.
bb_expect_same "$BB_C/Vantrx/VANTRX32.EXE" "$BB_C/dist/VANTRX32.EXE"
bb_expect_eq "$(tr -d '\r' <"$BB_C/windows/ZELSETUP.INI" | grep -E '^(TimesInstalled|number|Version)')" 'TimesInstalled=1
number1=C:\Vantrx
Version=1.BD' "history after replacing C:\Vantrx"

# The same directory recorded twice: asked twice; No on the second keeps the page.
bb_prefix path-twice nt40
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
bb_stamped_file "$BB_C/Vantrx/VANTRX32.EXE" 2 1 A
bb_history 'C:\Vantrx' 'C:\Vantrx'
BB_NAME=path-twice
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "C:\Vantrx"
click 1003
box "$(question 'C:\\Vantrx')" caption "Setup" icon exclamation buttons yesno owner page press yes
box "$(question 'C:\\Vantrx')" caption "Setup" icon exclamation buttons yesno owner page press no
sleep 300
focus 1001
nobox 300
click 1003
box "$(question 'C:\\Vantrx')" caption "Setup" press yes
box "$(question 'C:\\Vantrx')" caption "Setup" press yes
page 106
EOF

bb_finish
