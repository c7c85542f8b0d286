#!/usr/bin/env bash
# What the screen really shows, under Xvfb with Wine's X11 driver: the
# maximised main window covers the screen with the blue bands, and the pages
# stand on the window colour on Windows NT and on the button-face colour on
# Windows 95.
. "$(dirname "$0")/lib.sh"
if ! command -v xvfb-run >/dev/null || ! command -v import >/dev/null; then
    echo "skipped: xvfb-run or imagemagick missing (./run deps installs them)"
    exit 0
fi
bb_need_x11 "$@"

COLOR_WINDOW=5
COLOR_BTNFACE=15

page_colour() {
    local version=$1 index=$2
    bb_x11_prefix "colours-$version" "$version"
    bb_setup_dist "$BB_C/dist"
    bb_minimal_script "$BB_C/dist"
    BB_NAME="colours-$version"
    local out=$BB_TMP/shots-$version
    bb_run_driver_shots "$out" <<'EOF' || return 1
timeout 30000
start "C:\dist\SETUP.EXE"
page 100
maximized 1
shot welcome
EOF
    local png=$out/welcome.png
    # The page's client rectangle, from the driver's record of the page.
    local rect
    rect=$(grep -A1 '^saw page 100 ' "$BB_TRANSCRIPT" | sed -n 's/^ *window .* client //p')
    read -r left top right bottom <<<"$rect"
    if [ -z "${bottom:-}" ]; then
        bb_fail "$BB_NAME: no page rectangle in the transcript"
        return 1
    fi
    wh_wine "$BB_PREFIX" "$BB_DRIVER" --syscolor "$index" >"$BB_TMP/colour.txt" 2>/dev/null
    local expected
    expected=$(tr -d '\r' <"$BB_TMP/colour.txt")
    # A spot inside the page between its texts and its buttons' row.
    bb_expect_eq "$(bb_pixel "$png" $((left + 4)) $((bottom - 4)))" "$expected" \
        "$BB_NAME: page background (system colour $index)"

    # The background: blue bands from (0,0,255) at the top, darker downwards,
    # across the whole screen below the caption bar.
    local top_pixel bottom_pixel
    top_pixel=$(bb_pixel "$png" 5 40)
    bottom_pixel=$(bb_pixel "$png" 1018 760)
    read -r r1 g1 b1 <<<"$top_pixel"
    read -r r2 g2 b2 <<<"$bottom_pixel"
    bb_expect_eq "$r1 $g1 $r2 $g2" "0 0 0 0" "$BB_NAME: background has no red or green ($top_pixel / $bottom_pixel)"
    if [ "$b1" -ge 240 ] && [ "$b2" -lt 80 ] && [ "$b2" -gt 0 ]; then
        bb_pass
    else
        bb_fail "$BB_NAME: blue from top $b1 to bottom $b2, expected about 250 down to about 60"
    fi
}

page_colour nt40 $COLOR_WINDOW
page_colour win95 $COLOR_BTNFACE

bb_finish
