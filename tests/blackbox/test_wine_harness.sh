#!/usr/bin/env bash
# The Wine harness itself: each personality gives what the real system reports to a program of the shipped i686
# build; the path to 32-bit Wine (native, or under qemu-i386 where the kernel runs no 32-bit programs) is decided as
# documented and said exactly once; and each path that can run on this machine, forced, really runs the program
# the way it says.
top=${ZEL_SOURCE:-$(cd "$(dirname "$0")/../.." && pwd)}
. "$top/tests/harness/wine-env.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

wh_probe32 2>/dev/null || exit 1
build=${ZEL_BUILD32:-$top/build/i686}

# The interpreter the kernel runs a 32-bit Windows program with on the path WH_RUN32=$1, entered as a run enters it
# (this script again, with --nap, inside).
interpreter() {
    env -u WH_RUN32 -u ZEL_WINE_PATH WH_RUN32="$1" bash -c '. "$1/tests/harness/wine-env.sh" &&
        wh_probe32 2>/dev/null && wh_enter32 bash "$2" --nap' sh "$top" "$0"
}
if [ "${1:-}" = --nap ]; then # a driver that sleeps, under a name of its own, and the executable of its process
    prefix=$(WH_ARCH=32 wh_new_prefix nap) && name=nap$$.exe && cp "$build/tools/driver/zeldriver.exe" "$prefix/drive_c/$name"
    printf 'sleep 1500\n' >"$prefix/drive_c/nap.txt"
    wh_wine "$prefix" "C:\\$name" 'C:\nap.txt' 'C:\nap.log' &
    for i in $(seq 200); do
        pid=$(pgrep -f "$name" | head -n 1)
        [ -z "$pid" ] || { readlink "/proc/$pid/exe"; break; }
        sleep 0.05
    done
    wait
    wh_stop "$prefix"
    exit 0
fi
for row in ":2 6 1 6 1" "win95:1 4 0 4 0" "nt31:2 3 10 3 10" "nt35:2 3 50 3 50" "nt351:2 3 51 3 51" "nt40:2 4 0 4 0"; do
    prefix=$(WH_ARCH=32 wh_new_prefix "osversion" "${row%%:*}")
    got=$(wh_wine "$prefix" "$build/tools/driver/zeldriver.exe" --osversion 2>/dev/null | tr -d '\r')
    [ "$got" = "${row#*:}" ] || fail "personality '${row%%:*}' gives '$got' on the $WH_RUN32 path"
    wh_stop "$prefix"
done

# What a fresh run decides with the variables $1 set (and a run it starts): "WH_RUN32 WH_KERNEL32"; its lines in $err.
err=/tmp/probe.$$
decide() {
    env -u WH_RUN32 -u WH_KERNEL32 -u ZEL_SLOWDOWN $1 bash -c ". '$top/tests/harness/wine-env.sh'; wh_probe32 2>$err &&
        bash -c \". '$top/tests/harness/wine-env.sh'; wh_probe32\" 2>>$err && echo \$WH_RUN32 \$WH_KERNEL32"
}
printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\xef\xbe' >/tmp/wine32.$$ && chmod +x /tmp/wine32.$$
refused=WH_LOADER32=/tmp/wine32.$$ runs=WH_LOADER32=/bin/true
for case in "$refused:qemu no:runs under.*the kernel runs no 32-bit programs" \
    "$runs:native yes:runs natively (the kernel runs 32-bit programs)" \
    "$refused WH_RUN32=native:native no:runs natively (WH_RUN32=native)" \
    "$runs WH_RUN32=qemu:qemu yes:runs under $WH_QEMU (WH_RUN32=qemu)" "WH_RUN32=wow64::must be native or qemu"; do
    IFS=: read -r vars want said <<<"$case"
    got=$(decide "$vars")
    [ "$got" = "$want" ] && [ "$(grep -c '^\[wine\] ' $err)" = 1 ] && grep -q -- "$said" $err ||
        fail "with $vars: '$got', said: $(cat $err)"
done
rm -f /tmp/wine32.$$ $err

if [ -x "$WH_QEMU" ]; then
    qemu=$(interpreter qemu)
    [ "$qemu" = "$WH_QEMU" ] || fail "WH_RUN32=qemu runs a 32-bit program with '$qemu'"
else
    echo "qemu path not tried: $WH_QEMU is not installed (./run deps installs it where the kernel needs it)"
fi
if [ "$WH_KERNEL32" = no ]; then
    echo "native path not tried: the kernel runs no 32-bit programs"
elif wh_binfmt_on; then
    echo "native path not tried: this run itself goes through qemu (WH_RUN32=qemu)"
else
    native=$(interpreter native)
    [ -n "$native" ] && [ "$native" != "$WH_QEMU" ] || fail "WH_RUN32=native runs a 32-bit program with '$native'"
fi
[ "$failures" = 0 ] && echo ok || exit 1
