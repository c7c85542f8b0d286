#!/usr/bin/env bash
# Seeded faults: each tests/mutants/*.patch is a small realistic slip in the
# product (its first line says which). For each, in a copy of the source tree:
# apply it, rebuild, run the whole suite (stopping at the first failure), and
# count the fault caught when any test fails. Prints one line per fault and
# "caught k/n"; exit code 1 when a fault went unnoticed.
#
#   tests/mutants/run.sh [PATCH...]       (default: every patch)
#
# Needs what ./run test needs (./run deps). Takes a few minutes per fault.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
patches=("$@")
[ ${#patches[@]} -gt 0 ] || patches=("$top"/tests/mutants/*.patch)

work=${ZEL_MUTANT_WORK:-/var/tmp/zel-mutants.$$}
mkdir -p "$work/tree"
# The tree as it stands (committed or not), without its builds.
(cd "$top" && git ls-files -co --exclude-standard | grep -v '^build/' | tar -cf - -T -) | tar -xf - -C "$work/tree"
cd "$work/tree" || exit 2

export WH_ROOT=$work/wine
. tests/harness/wine-env.sh
trap 'wh_remove_root; rm -rf "$work"' EXIT

build() {
    local arch
    for arch in x86_64 i686; do
        cmake -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-$arch.cmake" \
            -DZEL_BUILD_TESTS=$([ $arch = x86_64 ] && echo ON || echo OFF) -DCMAKE_BUILD_TYPE=Release >/dev/null &&
            cmake --build "build/$arch" -j2 >/dev/null || return 1
    done
    cmake -S tools/host -B build/host -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build build/host -j2 >/dev/null
}

# 0 when every test passes.
suite() {
    (cd build/host && ctest --stop-on-failure --timeout 120 >"$work/host.log" 2>&1) &&
        (cd build/x86_64 && ctest -j2 --stop-on-failure --timeout 600 >"$work/ctest.log" 2>&1)
}

build || { echo "the unchanged tree does not build" >&2; exit 2; }
wh_probe32
wh_template
if ! suite; then
    echo "the unchanged tree does not pass its tests:" >&2
    grep -hE 'Failed|FAIL' "$work/host.log" "$work/ctest.log" >&2
    exit 2
fi

caught=0
missed=()
for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch)
    if ! git apply "$patch" 2>/dev/null; then
        echo "$name: does not apply" >&2
        missed+=("$name")
        continue
    fi
    started=$SECONDS
    if ! build; then
        echo "$name: does not build" >&2
        missed+=("$name")
    elif suite; then
        echo "missed  $name ($((SECONDS - started)) s): $(head -n 1 "$patch" | sed 's/^# //')"
        missed+=("$name")
    else
        by=$(grep -hE '\*\*\*Failed|\(Failed\)' "$work/host.log" "$work/ctest.log" 2>/dev/null | head -n 1 |
            sed -E 's/^.*Test +#[0-9]+: ([^ ]+).*$/\1/; s/^.*- ([^ ]+) \(Failed\).*$/\1/')
        echo "caught  $name by $by ($((SECONDS - started)) s)"
        caught=$((caught + 1))
    fi
    git apply -R "$patch"
done
echo "caught $caught/${#patches[@]}"
[ ${#missed[@]} -eq 0 ]
