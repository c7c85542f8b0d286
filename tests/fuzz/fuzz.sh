#!/usr/bin/env bash
# ./run fuzz [--merge] [seconds] [name...] (README.md, Fuzzing). Exit code 1 on a finding, 2 on a failed build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${ZEL_FUZZ_BUILD:-$here/../../build/fuzz}
merge=0 seconds=60 names=()
for arg in "$@"; do
    case $arg in --merge) merge=1 ;; '' | *[!0-9]*) names+=("$arg") ;; *) seconds=$arg ;; esac
done

mkdir -p "$build/logs" "$build/findings"
if ! { CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_STANDARD=17 &&
    cmake --build "$build" -j2; } >"$build/build.log" 2>&1; then
    tail -n 40 "$build/build.log" >&2
    exit 2
fi
[ ${#names[@]} -gt 0 ] || mapfile -t names < <(find "$build" -maxdepth 1 -name 'fuzz_*' -type f -executable -printf '%f\n' | sed 's/^fuzz_//' | sort)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export UBSAN_OPTIONS=print_stacktrace=1

found=0
printf '%-10s %8s  %s\n' target exec/s "corpus, result ($seconds s each)"
for name in "${names[@]}"; do
    [ -x "$build/fuzz_$name" ] || { echo "no target $name" >&2; exit 2; }
    corpus=$work/$name log=$build/logs/$name.log
    mkdir -p "$corpus" "$build/findings/$name"
    find "$here/corpus/$name" "$here/regress/$name" -type f ! -name '.*' -exec cp {} "$corpus"/ \; 2>/dev/null
    rc=0 dict=()
    [ ! -f "$here/$name.dict" ] || dict=("-dict=$here/$name.dict")
    # The outer timeout only matters should libFuzzer itself hang.
    timeout -k 10 $((seconds + 60)) "$build/fuzz_$name" -max_total_time="$seconds" -timeout=10 "${dict[@]}" \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$name/" "$corpus" >"$log" 2>&1 ||
        rc=$?
    execs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    result="no finding"
    if [ $rc -ne 0 ]; then
        found=1
        result="FINDING: $(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1) (exit $rc, log $log)"
    fi
    printf '%-10s %8s  %d inputs, %d bytes; %s\n' "$name" "${execs:-?}" "$(find "$corpus" -type f | wc -l)" \
        "$(cat "$corpus"/* | wc -c)" "$result"
    if [ $merge = 1 ] && [ $rc = 0 ]; then
        "$build/fuzz_$name" -merge=1 -use_counters=0 "$here/corpus/$name" "$corpus" >"$log.merge" 2>&1
    fi
done
exit $found
