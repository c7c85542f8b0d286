# Shared by the page scenarios (test_pages_*.sh), sourced after lib.sh.

# A Setup run that passes the copy page (104) goes on to its end: the success
# message, and on Windows NT the restart question (answered No).
SUCCESS='Installation of ZEL Vantorix was successful!'
RESTART='To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?'
finish_nt() { printf 'box "%s" caption "Good News" press ok\nbox "%s" press no\nexit 0\n' "$SUCCESS" "$RESTART"; }
finish_95() { printf 'box "%s" caption "Good News" press ok\nexit 0\n' "$SUCCESS"; }

# Windows NT runs make their group through Program Manager's DDE service: the
# test Program Manager (tools/progman) stands in for it in the current prefix
# until stop_progman, or until the prefix ends.
PAGES_PROGMAN_PID=
start_progman() {
    local dir=$BB_TMP/progman
    rm -rf "$dir" && mkdir -p "$dir"
    wh_wine "$BB_PREFIX" "$BB_BUILD/tools/progman/progman.exe" --log "$(bb_win "$dir")\\log" \
        --state "$(bb_win "$dir")\\state" >/dev/null 2>&1 &
    PAGES_PROGMAN_PID=$!
    local i
    for i in $(seq 1 150); do
        [ -e "$dir/ready" ] && return 0
        sleep 0.1
    done
    bb_fail "the test Program Manager did not start"
}
stop_progman() {
    [ -n "$PAGES_PROGMAN_PID" ] || return 0
    kill "$PAGES_PROGMAN_PID" 2>/dev/null
    wait "$PAGES_PROGMAN_PID" 2>/dev/null
    PAGES_PROGMAN_PID=
}
