#!/usr/bin/env bash
# The two executables as shipped: the right PE kind, only Windows system DLLs
# imported, and the program's own version stamp block in the file's bytes.
. "$(dirname "$0")/lib.sh"

x64=$ZEL_BUILD/SETUP.EXE
x86=$(dirname "$ZEL_BUILD")/i686/SETUP.EXE
if [ ! -f "$x86" ]; then
    echo "skipped: $x86 is not built (./run build makes it)"
    exit 0
fi

# DLLs a Windows 95 / NT system has on every machine.
SYSTEM_DLLS='^(KERNEL32|USER32|GDI32|ADVAPI32|LZ32|OLE32|OLEAUT32|SHELL32|MSVCRT|COMDLG32|VERSION)\.DLL$'

check_exe() {
    local exe=$1 kind=$2
    local what
    what=$(file -b "$exe")
    case $what in
    "$kind executable (GUI)"*) bb_pass ;;
    *) bb_fail "$exe: file says '$what', expected $kind ... (GUI)" ;;
    esac

    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr a-z A-Z)
    [ -n "$dlls" ] || bb_fail "$exe: no import table found"
    local dll
    for dll in $dlls; do
        if [[ $dll =~ $SYSTEM_DLLS ]]; then bb_pass; else bb_fail "$exe imports $dll"; fi
    done

    bb_stamp_block >"$BB_TMP/stamp.bin"
    local found
    found=$(python3 -c 'import sys; print(open(sys.argv[1],"rb").read().count(open(sys.argv[2],"rb").read()))' \
        "$exe" "$BB_TMP/stamp.bin")
    if [ "$found" -ge 1 ]; then bb_pass; else bb_fail "$exe lacks the 81-byte stamp block"; fi
}

check_exe "$x86" PE32
check_exe "$x64" PE32+

# The check itself must see a difference: a stamp with another version is not found.
bb_stamp_block 1 B E >"$BB_TMP/other.bin"
bb_expect_eq "$(python3 -c 'import sys; print(open(sys.argv[1],"rb").read().count(open(sys.argv[2],"rb").read()))' \
    "$x64" "$BB_TMP/other.bin")" 0 "a stamp of version 1.BE in SETUP.EXE"

bb_finish
