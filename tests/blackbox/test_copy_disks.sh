#!/usr/bin/env bash
# The copy phase seen from outside: SETUP.EXE started from drive A: (mapped
# through the prefix's dosdevices onto a disk folder), the disk prompt until
# the test swaps A: to the second disk, Cancel, a disk-2 file found on disk 1,
# a source that cannot be opened, and a real full disk (a drive on a 64 KB
# tmpfs). Afterwards the installed files are compared with the originals.
. "$(dirname "$0")/lib.sh"

# The prompt is owned by the copy page; the driver names a page owner only
# after a `page` step, and the prompt comes up before one could run, so the
# transcript's "owner=other" (not the main window) is checked instead.
PROMPT='box "Please insert ZEL Vantorix Disk #2" caption "Change Disks" icon exclamation buttons okcancel'
FULL='box "Out of disk space" caption "ERROR" icon none buttons ok press ok'
ABANDON='box "Vantorix has not been properly installed.\n\nYou should run Setup in its entirety at a later time to install ZEL Vantorix." icon exclamation buttons ok owner main press ok'

# The wizard from the welcome page to the copy page on Windows NT, both
# components cleared, into the directory $1 (made beforehand).
wizard_to_copy() {
    cat <<EOF
start "A:\SETUP.EXE"
page 100
click 1003
page 101
type 1001 "$1"
click 1003
page 106
click 1005
click 1006
click 1003
page 103
click 1003
EOF
}

# The originals, and the two disks made from them: compressed with Debian's
# mscompress where the name ends in _, SETUP.ZEL a copy of SETUP.EXE.
ORIG=$BB_TMP/orig
make_originals() {
    mkdir -p "$ORIG"
    bb_stamped_file "$ORIG/VANTRX32.EXE"
    for i in $(seq 1 300); do printf 'Read me, line %d.\r\n' "$i"; done >"$ORIG/README.TXT"
    head -c 3000 /dev/urandom >"$ORIG/VANTRX.386"
    for i in $(seq 1 4000); do printf 'record %06d %s\n' "$i" "$((i * 7919 % 10007))"; done >"$ORIG/BIG.DAT"
    printf 'Notes from the second disk.\r\n' >"$ORIG/NOTES.TXT"
    cp "$ORIG/README.TXT" "$BB_TMP/README.TX" && (cd "$BB_TMP" && mscompress README.TX) || return 1
    cp "$ORIG/BIG.DAT" "$BB_TMP/BIG.DA" && (cd "$BB_TMP" && mscompress BIG.DA) || return 1
    # really compressed, so the copy has to expand them
    cmp -s "$BB_TMP/README.TX_" "$ORIG/README.TXT" && return 1
    return 0
}
make_originals || bb_fail "cannot make the originals (mscompress)"

# make_disks ROOT [INSTALLDIR|-]: ROOT/DISK1 and ROOT/DISK2 with a SETUP.INI
# naming six files and an unattended run into INSTALLDIR (default C:\Vantrx);
# "-" makes a script without [Autorun], and sizes of 100 bytes each so that
# the path page's free-space check passes on a small drive.
make_disks() {
    local d1=$1/DISK1 d2=$1/DISK2
    mkdir -p "$d1" "$d2"
    cp "$BB_BUILD/SETUP.EXE" "$d1/SETUP.EXE"
    cp "$d1/SETUP.EXE" "$d1/SETUP.ZEL"
    cp "$ORIG/VANTRX32.EXE" "$ORIG/VANTRX.386" "$d1/"
    cp "$BB_TMP/README.TX_" "$d1/README.TX_"
    cp "$BB_TMP/BIG.DA_" "$d2/BIG.DA_"
    cp "$ORIG/NOTES.TXT" "$d2/NOTES.TXT"
    if [ "${2:-}" = - ]; then
        {
            printf '[Main]\r\nVersion=1.BD\r\nFilecount=6\r\n'
            printf 'file1=1 VANTRX32.EXE VANTRX32.EXE 100\r\nfile2=1 README.TX_ README.TXT 100\r\n'
            printf 'file3=1 SETUP.ZEL SETUP.ZEL 100\r\nfile4=1 VANTRX.386 VANTRX.386 100\r\n'
            printf 'file5=2 BIG.DA_ BIG.DAT 100\r\nfile6=2 NOTES.TXT NOTES.TXT 100\r\n'
        } >"$d1/SETUP.INI"
        return
    fi
    {
        printf '[Main]\r\nVersion=1.BD\r\nFilecount=6\r\n'
        printf 'file1=1 VANTRX32.EXE VANTRX32.EXE %d\r\n' "$(stat -c %s "$ORIG/VANTRX32.EXE")"
        printf 'file2=1 README.TX_ README.TXT %d\r\n' "$(stat -c %s "$ORIG/README.TXT")"
        printf 'file3=1,SETUP.ZEL,SETUP.ZEL,%d\r\n' "$(stat -c %s "$d1/SETUP.EXE")"
        printf 'file4=1 VANTRX.386 VANTRX.386 %d\r\n' "$(stat -c %s "$ORIG/VANTRX.386")"
        printf 'file5=2 BIG.DA_ BIG.DAT %d\r\n' "$(stat -c %s "$ORIG/BIG.DAT")"
        printf 'file6=2 NOTES.TXT NOTES.TXT %d\r\n' "$(stat -c %s "$ORIG/NOTES.TXT")"
        printf '[Autorun]\r\nPathname=%s\r\nVANTRX=NO\r\nSNMP=NO\r\n' "${2:-C:\\Vantrx}"
    } >"$d1/SETUP.INI"
}

# expect_installed DIR: every file of the table in DIR (a Unix path), equal to its original.
expect_installed() {
    local dir=$1
    bb_expect_same "$dir/VANTRX32.EXE" "$ORIG/VANTRX32.EXE"
    bb_expect_same "$dir/README.TXT" "$ORIG/README.TXT"
    bb_expect_same "$dir/VANTRX.386" "$ORIG/VANTRX.386"
    bb_expect_same "$dir/BIG.DAT" "$ORIG/BIG.DAT"
    bb_expect_same "$dir/NOTES.TXT" "$ORIG/NOTES.TXT"
    bb_expect_no_file "$dir/SETUP.ZEL"
    bb_expect_same "$BB_C/windows/zelunins.exe" "$BB_BUILD/SETUP.EXE"
    bb_expect_same "$BB_C/windows/vantrx.386" "$ORIG/VANTRX.386"
}

# recorded DIR: 1 when the history file records DIR.
recorded() {
    grep -qiF "=$1" "$BB_C/windows/ZELSETUP.INI" 2>/dev/null && echo 1 || echo 0
}

# --- disk 2 asked for again on every OK until A: holds it ---------------------
bb_prefix copy-swap nt40
make_disks "$BB_TMP/swap"
bb_drive A: "$BB_TMP/swap/DISK1"
(
    # The Linux side of the swap, while the third prompt is up: the program
    # checks A: again as soon as OK is pressed, so a swap asked for after
    # pressing could win that race and leave out the third prompt.
    for _ in $(seq 1 300); do [ -e "$BB_C/swap.req" ] && break; sleep 0.1; done
    bb_drive A: "$BB_TMP/swap/DISK2"
    touch "$BB_C/swap.done"
) &
BB_NAME=copy-swap
bb_run_driver <<EOF
start "A:\SETUP.EXE"
$PROMPT press ok
$PROMPT press ok
$PROMPT
touch "C:\swap.req"
waitfile "C:\swap.done"
$PROMPT press ok
exit 0
EOF
wait
expect_installed "$BB_C/Vantrx"
bb_expect_eq "$(bb_count 'saw box text="Please insert ZEL Vantorix Disk #2".*owner=other' "$BB_TRANSCRIPT")" 3 \
    "disk prompts owned by the page"
bb_expect_eq "$(recorded 'C:\Vantrx')" 1 "installation recorded"

# --- Cancel at the prompt abandons: nothing after it, nothing recorded --------
bb_prefix copy-cancel nt40
make_disks "$BB_TMP/cancel"
bb_drive A: "$BB_TMP/cancel/DISK1"
BB_NAME=copy-cancel
bb_run_driver <<EOF
start "A:\SETUP.EXE"
$PROMPT press cancel
exit 0
EOF
bb_expect_same "$BB_C/Vantrx/README.TXT" "$ORIG/README.TXT"
bb_expect_no_file "$BB_C/Vantrx/BIG.DAT"
bb_expect_no_file "$BB_C/Vantrx/NOTES.TXT"
bb_expect_no_file "$BB_C/windows/zelunins.exe"
bb_expect_file "$BB_C/Vantrx/SETUP.ZEL"
bb_expect_eq "$(recorded 'C:\Vantrx')" 0 "cancelled run recorded"

# --- the same through the wizard: 501 then warns --------------------------------
bb_prefix copy-cancel-wizard nt40
make_disks "$BB_TMP/cancel2" -
mkdir -p "$BB_C/Vantrx"
bb_drive A: "$BB_TMP/cancel2/DISK1"
BB_NAME=copy-cancel-wizard
bb_run_driver <<EOF
$(wizard_to_copy 'C:\Vantrx')
$PROMPT press cancel
$ABANDON
exit 0
EOF
bb_expect_no_file "$BB_C/Vantrx/NOTES.TXT"
bb_expect_eq "$(recorded 'C:\Vantrx')" 0 "cancelled run recorded"

# --- disk-2 files on disk 1 are taken without a prompt; a source that cannot
# --- be opened (a folder of that name) is skipped without a word -------------
bb_prefix copy-nodisk2 nt40
make_disks "$BB_TMP/one"
cp "$BB_TMP/one/DISK2/"* "$BB_TMP/one/DISK1/"
rm "$BB_TMP/one/DISK1/NOTES.TXT" && mkdir "$BB_TMP/one/DISK1/NOTES.TXT"
bb_drive A: "$BB_TMP/one/DISK1"
BB_NAME=copy-nodisk2
bb_run_driver <<EOF
start "A:\SETUP.EXE"
exit 0
EOF
bb_expect_eq "$(bb_count 'saw box' "$BB_TRANSCRIPT")" 0 "message boxes"
bb_expect_same "$BB_C/Vantrx/BIG.DAT" "$ORIG/BIG.DAT"
bb_expect_no_file "$BB_C/Vantrx/NOTES.TXT"
bb_expect_same "$BB_C/windows/zelunins.exe" "$BB_BUILD/SETUP.EXE"
bb_expect_no_file "$BB_C/Vantrx/SETUP.ZEL"
# NOTES.TXT could not be written: the unattended run ends through 501, unrecorded.
bb_expect_eq "$(recorded 'C:\Vantrx')" 0 "installation with a file missing recorded"

# --- a real full disk: install directory on T:, a 64 KB tmpfs ----------------
SMALL=$BB_TMP/small
mkdir -p "$SMALL"
if mount -t tmpfs -o size=64k tmpfs "$SMALL"; then
    bb_prefix copy-full nt40
    make_disks "$BB_TMP/full" 'T:\Vantrx'
    cp "$BB_TMP/full/DISK2/"* "$BB_TMP/full/DISK1/"
    bb_drive A: "$BB_TMP/full/DISK1"
    bb_drive T: "$SMALL"
    BB_NAME=copy-full
    bb_run_driver <<EOF
start "A:\SETUP.EXE"
$FULL
exit 0
EOF
    bb_expect_same "$SMALL/Vantrx/README.TXT" "$ORIG/README.TXT"
    bb_expect_no_file "$SMALL/Vantrx/NOTES.TXT"
    bb_expect_no_file "$BB_C/windows/zelunins.exe"
    bb_expect_eq "$(recorded 'T:\Vantrx')" 0 "full-disk run recorded"
    # the same through the wizard: the message, then 501's warning
    rm -rf "${SMALL:?}"/* && mkdir -p "$SMALL/Vantrx"
    bb_prefix copy-full-wizard nt40
    make_disks "$BB_TMP/full2" -
    cp "$BB_TMP/full2/DISK2/"* "$BB_TMP/full2/DISK1/"
    bb_drive A: "$BB_TMP/full2/DISK1"
    bb_drive T: "$SMALL"
    BB_NAME=copy-full-wizard
    bb_run_driver <<EOF
$(wizard_to_copy 'T:\Vantrx')
$FULL
$ABANDON
exit 0
EOF
    bb_expect_no_file "$BB_C/windows/zelunins.exe"
    bb_expect_eq "$(recorded 'T:\Vantrx')" 0 "full-disk run recorded"
    wh_stop "$BB_PREFIX"
    umount "$SMALL"
else
    bb_fail "cannot mount a tmpfs for the full-disk scenario (root needed)"
fi

bb_finish
