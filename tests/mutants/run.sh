#!/usr/bin/env bash
# Seeded faults: each tests/mutants/*.patch is a small realistic slip in the product (its first line says which).
# For each, in a copy of the source tree: apply it, rebuild, run the whole suite (stopping at the first failure);
# a failed test catches it. Prints a line per fault and "caught k/n"; exit code 1 when a fault went unnoticed.
#   tests/mutants/run.sh [PATCH...]       (default: every patch; minutes each)
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
# Where 32-bit Wine runs under qemu, the whole runner goes into the namespace that path needs (as ./run does).
if [ -z "${ZEL_WINE_PATH:-}" ]; then
    . "$top/tests/harness/wine-env.sh"
    export ZEL_WINE_PATH=1
    wh_enter32 bash "$0" "$@"
    exit $?
fi
patches=("$@")
[ $# -gt 0 ] || patches=("$top"/tests/mutants/*.patch)
work=${ZEL_MUTANT_WORK:-/var/tmp/zel-mutants.$$}
mkdir -p "$work/tree"
# The tree as it stands (committed or not), without its builds.
(cd "$top" && git ls-files -co --exclude-standard | grep -v '^build/' | tar -cf - -T -) | tar -xf - -C "$work/tree"
cd "$work/tree" || exit 2
export WH_ROOT=$work/wine
. tests/harness/wine-env.sh
trap 'wh_remove_root; rm -rf "$work"' EXIT

suite() { # 0 when every test passes
    rm -f "$work/host.log" "$work/ctest.log"
    ./run build >"$work/build.log" 2>&1 || return 2
    (cd build/host && ctest --stop-on-failure --timeout 120 >"$work/host.log" 2>&1) &&
        (cd build/x86_64 && ctest -j2 --stop-on-failure --timeout 600 >"$work/ctest.log" 2>&1)
}

wh_template
if ! suite; then
    echo "the unchanged tree does not build or pass its tests:" >&2
    grep -hE 'Failed|FAIL|rror' "$work"/*.log >&2
    exit 2
fi
caught=0 missed=0
for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch) started=$SECONDS
    git apply "$patch" 2>/dev/null || { echo "$name: does not apply" >&2; missed=$((missed + 1)); continue; }
    suite
    case $? in
    0) echo "missed  $name ($((SECONDS - started)) s): $(head -n 1 "$patch" | sed 's/^# //')" && missed=$((missed + 1)) ;;
    2) echo "$name: does not build" && missed=$((missed + 1)) ;;
    *) echo "caught  $name by $(grep -hE '\*\*\*(Failed|Exception|Timeout)' "$work/host.log" "$work/ctest.log" 2>/dev/null |
        sed -E 's/^.*Test +#[0-9]+: ([^ ]+).*$/\1/' | head -n 1) ($((SECONDS - started)) s)" && caught=$((caught + 1)) ;;
    esac
    git apply -R "$patch"
done
echo "caught $caught/${#patches[@]}"
[ "$missed" -eq 0 ]
