#!/usr/bin/env bash
# Line counts of the product, its tests and the test fixtures (./run stats).
# Test code is every source file under tests/ (programs, scripts, roads); the fuzz corpus, the seeded-fault patches and
# the import allowlist are data and are counted apart. The aims: test code at
# most a third of the product, fixtures at most 1,500 lines, the benchmarks at most 1,200.
cd "$(dirname "$0")/.." || exit 2

# Lines of the source files under the given folders, less those under $skip.
lines() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.rc' -o -name '*.sh' -o -name '*.py' \
        -o -name '*.road' -o -name '*.def' -o -name 'CMakeLists.txt' \) 2>/dev/null |
        grep -vE "${skip:-^$}" | tr '\n' '\0' | xargs -0 -r cat | wc -l
}

product=$(($(lines src tools/mkdist tools/host tools/zelserv tools/standins tools/dist) +
    $(cat run tools/demo.sh tools/screenshots.sh tools/try.sh tools/shortcuts.sh | wc -l)))
tests=$(skip='^tests/fuzz/(corpus|regress)/' lines tests)
fixtures=$(lines tools/driver tools/progman tools/shelldde)
bench=$(lines tools/bench)
data=$(cat tests/mutants/*.patch tests/imports.allow | wc -l)

row() { printf '%-48s %6d%s\n' "$1" "$2" "${3:-}"; }
row "product (src, mkdist and its host build, zelserv," "$product"
echo "  standins, dist, run, demo.sh, screenshots.sh, try.sh)"
row "test code (tests/)" "$tests" \
    "   $(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.2f", t / p }') of the product (aim: at most 0.33)"
row "fixtures (tools/driver, progman, shelldde)" "$fixtures" "   (aim: at most 1500)"
row "benchmarks (tools/bench)" "$bench" "   (aim: at most 1200)"
row "test data (seeded-fault patches, allowlist)" "$data"
[ $((tests * 3)) -le "$product" ] && [ "$fixtures" -le 1500 ] && [ "$bench" -le 1200 ]
