#!/usr/bin/env bash
# The two executables as shipped, read as the loaders of the oldest target
# systems read them: the right PE kind, imports only from the allowlist
# (tests/imports.allow: KERNEL32, USER32, GDI32, ADVAPI32, LZ32, SHELL32, the
# LZ functions from LZ32, no C runtime, no OLE32), subsystem and OS version
# 3.10 and at most 64 KB for the shipped i686 file, no start-up code of a
# runtime, and the program's own version stamp block in the file's bytes.
. "$(dirname "$0")/lib.sh"

x86=$ZEL_SOURCE/build/i686/SETUP.EXE
x64=$ZEL_SOURCE/build/x86_64/SETUP.EXE
ALLOW=$ZEL_SOURCE/tests/imports.allow
ALLOWED_DLLS='^(KERNEL32|USER32|GDI32|ADVAPI32|LZ32|SHELL32)\.DLL$'

# "DLL function" per import of an executable, DLL names in capitals.
imports_of() {
    x86_64-w64-mingw32-objdump -p "$1" | awk '
        /DLL Name:/ { dll = toupper($3); next }
        /^\t[0-9a-f]+\t +[0-9]+  / && dll != "" { print dll, $3 }
        /^$/ { dll = "" }'
}

check_imports() {
    local exe=$1 dll function listed=0
    while read -r dll function; do
        listed=$((listed + 1))
        [[ $dll =~ $ALLOWED_DLLS ]] || bb_fail "$exe imports from $dll ($function)"
        grep -qE "^$dll +$function +[^ ]" "$ALLOW" || bb_fail "$exe imports $dll $function, which is not in the allowlist"
        case $function in LZ*|CopyLZFile) [ "$dll" = LZ32.DLL ] || bb_fail "$exe takes $function from $dll" ;; esac
    done < <(imports_of "$exe")
    if [ "$listed" -gt 20 ]; then bb_pass; else bb_fail "$exe: import table not read ($listed imports)"; fi
    bb_expect_eq "$(imports_of "$exe" | awk '$1 == "LZ32.DLL"' | wc -l)" 6 "$exe: LZ functions from LZ32.DLL"
}

check_stamp() {
    local exe=$1 found
    bb_stamp_block >"$BB_TMP/stamp.bin"
    found=$(python3 -c 'import sys; print(open(sys.argv[1],"rb").read().count(open(sys.argv[2],"rb").read()))' \
        "$exe" "$BB_TMP/stamp.bin")
    bb_expect_eq "$found" 1 "$exe: the 81-byte stamp block, once"
}

for exe in "$x86" "$x64"; do
    [ -f "$exe" ] || { bb_fail "$exe is not built"; continue; }
    check_imports "$exe"
    check_stamp "$exe"
    # No runtime start-up: no constructor table, no thread-local storage.
    headers=$(x86_64-w64-mingw32-objdump -h "$exe")
    if grep -qE ' \.(ctors|dtors|tls|CRT)' <<<"$headers"; then bb_fail "$exe has runtime sections"; else bb_pass; fi
done

bb_expect_grep '^PE32 executable \(GUI\) Intel 80386' <(file -b "$x86") "i686 SETUP.EXE is a 32-bit GUI program"
bb_expect_grep '^PE32\+ executable \(GUI\) x86-64' <(file -b "$x64") "x86_64 SETUP.EXE is a 64-bit GUI program"
header=$(x86_64-w64-mingw32-objdump -p "$x86")
for field in MajorOSystemVersion:3 MinorOSystemVersion:10 MajorSubsystemVersion:3 MinorSubsystemVersion:10; do
    bb_expect_grep "^${field%:*}\s+${field#*:}$" <(echo "$header") "i686 SETUP.EXE ${field%:*} ${field#*:}"
done
size=$(stat -c %s "$x86")
if [ "$size" -le 65536 ]; then bb_pass; else bb_fail "i686 SETUP.EXE is $size bytes, over 64 KB"; fi
echo "i686 SETUP.EXE: $size bytes"

# The checks must see a difference: a stamp of another version is not
# found, and an import missing from the allowlist is refused.
bb_stamp_block 1 B E >"$BB_TMP/other.bin"
bb_expect_eq "$(python3 -c 'import sys; print(open(sys.argv[1],"rb").read().count(open(sys.argv[2],"rb").read()))' \
    "$x86" "$BB_TMP/other.bin")" 0 "a stamp of version 1.BE in SETUP.EXE"
grep -vE '^KERNEL32.DLL +ReadFile ' "$ALLOW" >"$BB_TMP/allow"
if (ALLOW=$BB_TMP/allow BB_FAILURES=0 && check_imports "$x86" 2>/dev/null; [ "$BB_FAILURES" -gt 0 ]); then
    bb_pass
else
    bb_fail "an import missing from the allowlist went unnoticed"
fi
bb_finish
