#!/usr/bin/env bash
# The two executables as shipped, read as the oldest target systems' loaders read them: imports only from the
# allowlist (tests/imports.allow; the LZ functions from LZ32), no start-up code of a runtime, the program's own
# version stamp block once; each icon index it names, an icon group; the i686 file a 32-bit GUI program with
# subsystem and OS version 3.10, at most 64 KB.
top=${ZEL_SOURCE:-$(cd "$(dirname "$0")/../.." && pwd)}
allow=$top/tests/imports.allow
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

imports_of() { # "DLL function" per import, DLL names in capitals
    x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ { dll = toupper($3); next }
        /^\t[0-9a-f]+\t +[0-9]+  / && dll != "" { print dll, $3 } /^$/ { dll = "" }'
}
stamp() { # the 81-byte stamp block of version $1.$2$3
    printf 'zElSiG\x01\x00\x0c\x0d\x00\x00\x04\x00\x00\x00' && head -c 9 /dev/zero &&
        printf "\\x$(printf %02x "$1")%s%s\x09\x03\x10ZEL Setup (Win32)" "$2" "$3" && head -c 33 /dev/zero
}
icon_groups() { x86_64-w64-mingw32-objdump -p "$1" | awk '/^[0-9a-f]+   Entry: ID: 0x00000e,/ { getline; print $NF }'; }
count() { python3 -c 'import sys; print(open(sys.argv[1], "rb").read().count(sys.stdin.buffer.read()))' "$1"; }

for exe in "$top/build/i686/SETUP.EXE" "$top/build/x86_64/SETUP.EXE"; do
    [ -f "$exe" ] || { fail "$exe is not built"; continue; }
    n=0
    while read -r dll function; do
        n=$((n + 1))
        grep -qE "^$dll +$function +[^ ]" "$allow" || fail "$exe imports $dll $function, not in the allowlist"
    done < <(imports_of "$exe")
    [ "$n" -gt 20 ] || fail "$exe: import table not read"
    [ "$(imports_of "$exe" | grep -c '^LZ32.DLL ')" = 6 ] || fail "$exe: the six LZ functions from LZ32.DLL"
    ! x86_64-w64-mingw32-objdump -h "$exe" | grep -qE ' \.(ctors|dtors|tls|CRT)' || fail "$exe has runtime sections"
    [ "$(stamp 1 B D | count "$exe")" = 1 ] || fail "$exe: the stamp block, once"
    groups=$(icon_groups "$exe")
    for index in 0 $(sed -nE 's/^#define ICON_INDEX_[A-Z_]+ ([0-9]+).*/\1/p' "$top/src/resources/resource.h"); do
        [ "$index" -lt "${groups:-0}" ] || fail "$exe: icon index $index named, ${groups:-no} icon groups"
    done
done
x86=$top/build/i686/SETUP.EXE
file -b "$x86" | grep -q '^PE32 executable (GUI) Intel 80386' || fail "i686 SETUP.EXE is no 32-bit GUI program"
for field in MajorOSystemVersion.3 MinorOSystemVersion.10 MajorSubsystemVersion.3 MinorSubsystemVersion.10; do
    x86_64-w64-mingw32-objdump -p "$x86" | grep -qE "^${field%.*}\s+${field#*.}$" || fail "i686 ${field%.*} is not ${field#*.}"
done
size=$(stat -c %s "$x86")
[ "$size" -le 65536 ] || fail "i686 SETUP.EXE is $size bytes, over 64 KB"
echo "i686 SETUP.EXE: $size bytes"
[ "$failures" = 0 ] && echo "ok" || exit 1
