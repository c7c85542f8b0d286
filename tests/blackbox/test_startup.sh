#!/usr/bin/env bash
# Start-up seen from outside: run mode from the command line, the early ends
# for a missing history or setup script, and the Windows 95 one-version rule.
. "$(dirname "$0")/lib.sh"

NO_VERSIONS='Unable to detect any versions of ZEL Vantorix\non your system.'
NOT_INSTALLED='Vantorix has not been properly installed.\n\nYou should run Setup in its entirety at a later time to install ZEL Vantorix.'
ONE_VERSION='Only one version of ZEL Vantorix may be installed on\na Windows 95 system at a time.  Please unInstall the other\nversion and run Setup again.'

# Start-up ended before the message loop: no page and exactly $2 boxes.
expect_no_page() {
    bb_expect_eq "$(bb_count '^saw page' "$BB_TRANSCRIPT")" 0 "$1: pages shown"
    bb_expect_eq "$(bb_count '^saw box' "$BB_TRANSCRIPT")" "$2" "$1: message boxes shown"
}

# --- UnInstall mode with nothing recorded: one box, then the end ---------------
bb_prefix uninstall-none
bb_setup_dist "$BB_C/dist"
cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/ZELUNINS.EXE"
for switch in -uninstall -UNINSTALL -UnInstall; do
    BB_NAME="uninstall-none $switch"
    bb_run_driver <<EOF
start "C:\dist\ZELUNINS.EXE" "$switch"
maintitle "ZEL Vantorix UnInstall"
maximized 1
box "$NO_VERSIONS" caption "ZEL Vantorix UnInstall" icon info buttons ok owner main press ok
exit 0
EOF
    expect_no_page "$BB_NAME" 1
done

# --- anything but the whole line "-uninstall" means Setup mode -------------------
for switch in "-uninstall " "/uninstall" "-uninstall x" "uninstall"; do
    BB_NAME="setup-mode '$switch'"
    bb_run_driver <<EOF
start "C:\dist\SETUP.EXE" "$switch"
maintitle "ZEL Vantorix Setup"
box "File SETUP.INI missing or invalid.\n\nSetup cannot continue." press ok
box "$NOT_INSTALLED" press ok
exit 0
EOF
    bb_expect_eq "$(bb_count 'Unable to detect' "$BB_TRANSCRIPT")" 0 "$BB_NAME: no-versions box"
done

# --- Setup without a setup script: the script's message, then the warning -----
missing_script() {
    local version=$1 script=$2
    bb_prefix "no-script-$version" "$version"
    bb_setup_dist "$BB_C/dist"
    rm -f "$BB_C/dist/SETUP.INI" "$BB_C/dist/SETUP95.INI"
    BB_NAME="no-script-$version"
    bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
maintitle "ZEL Vantorix Setup"
box "File $script missing or invalid.\n\nSetup cannot continue." caption "Error" icon exclamation buttons ok owner main press ok
box "$NOT_INSTALLED" caption "ZEL Vantorix Setup" icon exclamation buttons ok owner main press ok
exit 0
EOF
    expect_no_page "$BB_NAME" 2
}
missing_script nt40 SETUP.INI
missing_script nt351 SETUP.INI
missing_script nt31 SETUP.INI
missing_script win95 SETUP95.INI

# --- Windows 95 with an installation recorded ----------------------------------
# The recorded directory holds a stamped VANTRX32.EXE, so the entry is a live one.
bb_prefix win95-recorded win95
bb_setup_dist "$BB_C/dist"
bb_stamped_file "$BB_C/Program Files/Vantrx/VANTRX32.EXE"
bb_history 'C:\Program Files\Vantrx'
BB_NAME=win95-recorded
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
box "$ONE_VERSION" caption "ZEL Vantorix Setup" icon info buttons ok owner main press ok
exit 0
EOF
expect_no_page "$BB_NAME" 1

# Unattended: the same end, silently.
printf '[Autorun]\r\nPathname=C:\\Other\r\nVANTRX=YES\r\nSNMP=YES\r\n' >"$BB_C/dist/SETUP95.INI"
BB_NAME=win95-recorded-autorun
bb_run_driver <<EOF
start "C:\dist\SETUP.EXE"
exit 0
EOF
expect_no_page "$BB_NAME" 0
bb_expect_eq "$(tr -d '\r' <"$BB_C/windows/ZELSETUP.INI" | grep -c '^number')" 1 "$BB_NAME: history untouched"

# --- the OS kind each personality gives -----------------------------------------
# The unit test program (an x86_64 build, so in a 64-bit prefix) checks
# DetectOsKind against the kind named here.
for pair in win95:3 nt31:0 nt35:1 nt351:2 nt40:2 :2; do
    version=${pair%:*}
    bb_prefix64 "oskind-${version:-default}" "$version"
    if ZEL_EXPECT_OSKIND=${pair#*:} wh_wine "$BB_PREFIX" "$ZEL_BUILD/tests/test_startup.exe" \
        --gtest_filter='DetectOsKind.*' >"$BB_TMP/oskind.log" 2>&1; then
        bb_pass
    else
        cat "$BB_TMP/oskind.log" >&2
        bb_fail "OS kind under personality ${version:-default}"
    fi
done

bb_finish
