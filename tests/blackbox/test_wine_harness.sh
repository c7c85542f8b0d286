#!/usr/bin/env bash
# The Wine harness itself: each personality gives its version to a program of the build the roads run; the
# fallback to wine64 is taken when the 32-bit loader cannot execute (or when forced), and said exactly once.
top=${ZEL_SOURCE:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$top/tests/harness/wine-env.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

wh_probe32
build=${ZEL_BUILD32:-$top/build/i686} arch=32
[ "$WH_HAVE32" = 1 ] || build=${ZEL_BUILD:-$top/build/x86_64} arch=64
for row in ":2 6 1 6 1" "win95:1 4 0 4 0" "nt31:2 3 10 3 10" "nt35:2 3 50 3 50" "nt351:2 3 51 3 51" "nt40:2 4 0 4 0"; do
    prefix=$(WH_ARCH=$arch wh_new_prefix "osversion" "${row%%:*}")
    got=$(wh_wine "$prefix" "$build/tools/driver/zeldriver.exe" --osversion 2>/dev/null | tr -d '\r')
    [ "$got" = "${row#*:}" ] || fail "personality '${row%%:*}' gives '$got' in a $arch-bit prefix"
    wh_stop "$prefix"
done

# What a fresh run decides with the variable $1 set (and a run it starts): WH_HAVE32; its lines in $err.
err=/tmp/probe.$$
decide() {
    env -u WH_HAVE32 -u WH_FORCE64 "$1" bash -c ". '$top/tests/harness/wine-env.sh'; wh_probe32 2>$err;
        bash -c \". '$top/tests/harness/wine-env.sh'; wh_probe32\" 2>>$err; echo \$WH_HAVE32"
}
printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\xef\xbe' >/tmp/wine32.$$ && chmod +x /tmp/wine32.$$
for case in "WH_LOADER32=/tmp/wine32.$$:0 1 Exec format error" "WH_FORCE64=1:0 1 WH_FORCE64=1" "WH_X=1:1 0 "; do
    vars=${case%%:*} want=${case#*:}
    got=$(decide "$vars")
    said=$(grep -c '^\[wine\] 32-bit Wine' $err)
    [ "$got $said" = "${want:0:3}" ] && { [ -z "${want:4}" ] || grep -q "${want:4}" $err; } || fail "with $vars: $got, said $said: $(cat $err)"
done
rm -f /tmp/wine32.$$ $err
[ "$failures" = 0 ] && echo ok || exit 1
