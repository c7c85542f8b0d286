#!/usr/bin/env bash
# Windows NT configuration when the older installation's directory is on a
# full disk: LZ32 reports LZERROR_WRITE, the user sees "Out of disk space" and
# nothing else is done. Wine cannot fill a disk by itself, so this maps a
# drive onto a 16 KiB tmpfs and runs the unit test that waits for it.
. "$ZEL_SOURCE/tests/blackbox/lib.sh"

# The unit test program is an x86_64 build: a 64-bit prefix.
bb_prefix64 ntfull nt40
disk=$BB_TMP/fulldisk
mkdir -p "$disk"
if ! mount -t tmpfs -o size=16k tmpfs "$disk" 2>/dev/null; then
    echo "SKIP: cannot mount a small tmpfs here" >&2
    exit 0
fi
trap 'umount "$disk" 2>/dev/null; bb_cleanup' EXIT
bb_drive F: "$disk"

out=$BB_TMP/test.out
ZEL_FULL_DIR='F:\' wh_wine "$BB_PREFIX" "$ZEL_BUILD/tests/test_ntconfig.exe" \
    --gtest_filter='NtConfig.FullDiskReportedAndNothingElseDone' >"$out" 2>&1
rc=$?
bb_expect_eq "$rc" 0 "unit test exit code"
bb_expect_grep '^\[       OK \] NtConfig.FullDiskReportedAndNothingElseDone' "$out" "the test ran and passed (not skipped)"
[ "$rc" -eq 0 ] || cat "$out" >&2
bb_finish
