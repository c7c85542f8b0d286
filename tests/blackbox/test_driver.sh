#!/usr/bin/env bash
# The driver itself: every other scenario trusts it to fail when the program
# does something else than the scenario says, so each kind of mismatch must
# fail the run with a reason that names it.
. "$(dirname "$0")/lib.sh"

NO_VERSIONS='Unable to detect any versions of ZEL Vantorix\non your system.'

bb_prefix driver
bb_setup_dist "$BB_C/dist"
bb_minimal_script "$BB_C/dist"
cp "$BB_BUILD/SETUP.EXE" "$BB_C/dist/ZELUNINS.EXE"

# One good run first, so the mismatches below are the only difference.
BB_NAME=driver-good
bb_run_driver <<EOF
# a comment line, and a step with one
start "C:\dist\ZELUNINS.EXE" "-uninstall"   # trailing comment
box "$NO_VERSIONS" caption "ZEL Vantorix UnInstall" icon info buttons ok owner main press ok
exit 0
EOF
bb_expect_grep '^saw box text="Unable to detect any versions of ZEL Vantorix\\non your system\." caption="ZEL Vantorix UnInstall" icon=info buttons=ok owner=main$' \
    "$BB_TRANSCRIPT" "transcript records the box"
bb_expect_grep '^pressed ok$' "$BB_TRANSCRIPT" "transcript records the answer"
bb_expect_grep '^program ended, exit code 0$' "$BB_TRANSCRIPT" "transcript records the end"
bb_expect_grep '^PASS$' "$BB_TRANSCRIPT" "transcript ends in PASS"

mismatch() {
    BB_NAME="driver-$1"
    local pattern=$2 step=$3
    bb_expect_driver_fails "$pattern" <<EOF
timeout 3000
start "C:\dist\ZELUNINS.EXE" "-uninstall"
$step
EOF
    bb_expect_grep '^FAIL$' "$BB_TRANSCRIPT" "$BB_NAME: transcript ends in FAIL"
}

mismatch box-text 'box text is' 'box "Unable to detect" press ok'
mismatch box-caption 'box caption is "ZEL Vantorix UnInstall", expected "Error"' \
    "box \"$NO_VERSIONS\" caption \"Error\" press ok"
mismatch box-icon 'box icon is "info", expected "stop"' "box \"$NO_VERSIONS\" icon stop press ok"
mismatch box-buttons 'box buttons is "ok", expected "yesno"' "box \"$NO_VERSIONS\" buttons yesno press yes"
mismatch box-owner 'box owner is "main", expected "page"' "box \"$NO_VERSIONS\" owner page press ok"
mismatch box-no-button 'has no yes button' "box \"$NO_VERSIONS\" press yes"
mismatch page-instead 'a message box is up instead' 'page 100'
mismatch exit-box 'a message box is up' 'exit 0'
mismatch nobox 'a message box appeared' 'nobox 1000'
mismatch maintitle "main window's title is \"ZEL Vantorix UnInstall\"" 'maintitle "ZEL Vantorix Setup"'
mismatch unknown-step 'unknown step frobnicate' 'frobnicate 1'
mismatch arguments 'wrong number of arguments' 'exit'
mismatch bad-string 'unterminated string' 'box "open'

BB_NAME=driver-exit-code
bb_expect_driver_fails 'exit code 0, expected 3' <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
box "$NO_VERSIONS" press ok
exit 3
EOF

BB_NAME=driver-ended
bb_expect_driver_fails 'the program ended \(exit code 0\) without the box' <<EOF
start "C:\dist\ZELUNINS.EXE" "-uninstall"
box "$NO_VERSIONS" press ok
box "another" press ok
EOF

BB_NAME=driver-not-started
bb_expect_driver_fails 'cannot start C:\\dist\\NONE.EXE' <<EOF
start "C:\dist\NONE.EXE"
EOF

# Pages: the wrong page, a control that is not there, the wrong text.
page_mismatch() {
    BB_NAME="driver-$1"
    bb_expect_driver_fails "$2" <<EOF
timeout 3000
start "C:\dist\SETUP.EXE"
page 100
$3
EOF
}
page_mismatch other-page 'page 100 is up instead' 'page 101'
page_mismatch no-control 'page 100 has no control 1001' 'text 1001 "x"'
page_mismatch control-text 'control 1004 shows "This program will install Vantorix onto your system.", expected "x"' \
    'text 1004 "x"'
page_mismatch title 'title is "ZEL Vantorix Setup", expected "x"' 'title "x"'
page_mismatch running-nobox 'timed out after 1000 ms: no file' $'timeout 1000\nwaitfile "C:\\never"'

# The escapes of scenario strings, and the transcript's quoting of what it saw.
BB_NAME=driver-page-record
bb_run_driver <<'EOF'
start "C:\dist\SETUP.EXE"
page 100
text 0x3EC "This program will install Vantorix onto your system."
touch "C:\dist\Reached"
EOF
bb_expect_file "$BB_C/dist/Reached"
bb_expect_grep '^saw page 100 title="ZEL Vantorix Setup"$' "$BB_TRANSCRIPT" "transcript records the page"
bb_expect_grep '^    control 1003 Button enabled=1 visible=1 text="&Continue"$' "$BB_TRANSCRIPT" \
    "transcript records the page's controls"
bb_expect_grep '^program still running at the end: terminated$' "$BB_TRANSCRIPT" "a program left running is ended"

bb_finish
