#!/usr/bin/env bash
# Runs the full-disk unit tests (LZ copies, runtime libraries of the SNMP
# agent, the copy engine) with a drive that is really full: T: is mapped
# through the prefix's dosdevices onto a 64 KB tmpfs, and a compressed file
# that expands to far more than that is made with Debian's mscompress.
set -u
. "$ZEL_SOURCE/tests/harness/wine-env.sh"

work=$(mktemp -d /var/tmp/zel-lzfull.XXXXXX)
small=$work/small
prefix=
cleanup() {
    [ -n "$prefix" ] && wh_stop "$prefix"
    mountpoint -q "$small" && umount "$small"
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$small"
if ! mount -t tmpfs -o size=64k tmpfs "$small"; then
    echo "cannot mount a tmpfs (root needed)" >&2
    exit 1
fi
# 400 KB of text with little repetition per line, so the compressed file is
# still larger than nothing but expands to six times the drive.
for i in $(seq 1 8000); do printf 'line %05d of the big payload\n' "$i"; done >"$work/BIG.BIN"
(cd "$work" && mscompress BIG.BIN) || exit 1
[ -f "$work/BIG.BIN_" ] || { echo "mscompress wrote no BIG.BIN_" >&2; exit 1; }

# The unit test programs are x86_64 builds: a 64-bit prefix.
prefix=$(WH_ARCH=64 wh_new_prefix lzfull) || exit 1
ln -sfn "$small" "$prefix/dosdevices/t:"
rc=0
for run in "test_lzfile LzFile.FullDisk*" "test_snmp Snmp.FullSystemDisk*" "test_copyengine CopyEngine.FullTarget*"; do
    set -f; set -- $run; set +f
    ZEL_FULL_DRIVE='T:' ZEL_BIG_SZDD="Z:$(echo "$work/BIG.BIN_" | tr / '\\')" \
        wh_wine "$prefix" "$ZEL_BUILD/tests/$1.exe" --gtest_filter="$2" >"$work/log" 2>&1 || rc=1
    grep -v "^$" "$work/log" | grep -vE '^\[(==========|----------)\]' | tail -30
    if ! grep -q '^\[  PASSED  \] 1 test' "$work/log" || grep -q SKIPPED "$work/log"; then
        echo "$1: $2 did not pass" >&2
        rc=1
    fi
    rm -rf "$small"/*
done
exit $rc
