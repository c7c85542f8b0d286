#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, runs each for a bounded time on a copy of its
# seeds (corpus/<name> and regress/<name>), and prints one line per target:
# executions per second, the corpus it ended with, and "no finding" or the
# saved input that made it fail.
#
#   tests/fuzz/fuzz.sh [--merge] [seconds] [name...]
#
#   seconds  time per target (default 60)
#   name     only these targets (default: every target)
#   --merge  afterwards add the inputs that reached new code to corpus/<name>
#            (libFuzzer's -merge=1); without it the repository is not changed
#
# Builds in build/fuzz (ZEL_FUZZ_BUILD to change); a failing input is kept in
# build/fuzz/findings/<name>/ and the target's output in build/fuzz/logs/.
# Exit code 1 on any finding, 2 when the targets cannot be built.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${ZEL_FUZZ_BUILD:-$top/build/fuzz}

merge=0
seconds=60
names=()
for arg in "$@"; do
    case "$arg" in
    --merge) merge=1 ;;
    '' | *[!0-9]*) names+=("$arg") ;;
    *) seconds=$arg ;;
    esac
done
if [ "$seconds" -lt 1 ]; then
    echo "fuzz.sh: seconds must be at least 1" >&2
    exit 2
fi

# clang with libFuzzer's runtime (libclang-rt-14-dev), cmake and make.
install_tools() {
    local missing=()
    for p in clang libclang-rt-14-dev cmake make; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

build_targets() {
    mkdir -p "$build"
    if ! {
        CXX=clang++ cmake -S "$here" -B "$build" -DZEL_FUZZ_LIBFUZZER=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
            cmake --build "$build" -j2
    } >"$build/build.log" 2>&1; then
        tail -n 40 "$build/build.log" >&2
        echo "fuzz.sh: the fuzz targets do not build (log: $build/build.log)" >&2
        exit 2
    fi
}

# Copies the non-hidden files of a folder (if any) into dest.
copy_inputs() {
    local from=$1 dest=$2
    [ -d "$from" ] || return 0
    find "$from" -type f ! -name '.*' -exec cp {} "$dest"/ \;
}

stat_value() {
    sed -n "s/^stat::$1: *//p" "$2" | tail -n 1
}

install_tools
build_targets
[ ${#names[@]} -gt 0 ] || mapfile -t names <"$build/fuzz_targets.txt"

work=$(mktemp -d "${TMPDIR:-/tmp}/zel-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/logs" "$build/findings"
export UBSAN_OPTIONS=print_stacktrace=1

for name in "${names[@]}"; do
    if [ ! -x "$build/fuzz_$name" ]; then
        echo "fuzz.sh: no target $name (targets: $(tr '\n' ' ' <"$build/fuzz_targets.txt"))" >&2
        exit 2
    fi
done

found=0
printf '%-12s %12s  %s\n' target exec/s "corpus, result ($seconds s each)"
for name in "${names[@]}"; do
    binary=$build/fuzz_$name
    corpus=$work/$name
    findings=$build/findings/$name
    log=$build/logs/$name.log
    mkdir -p "$corpus" "$findings"
    copy_inputs "$here/corpus/$name" "$corpus"
    copy_inputs "$here/regress/$name" "$corpus"
    dict=()
    [ -f "$here/$name.dict" ] && dict=("-dict=$here/$name.dict")
    rc=0
    # The outer timeout only matters when libFuzzer itself hangs.
    timeout -k 10 $((seconds + 60)) "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" "$corpus" >"$log" 2>&1 || rc=$?

    execs=$(stat_value average_exec_per_sec "$log")
    # libFuzzer averages over whole seconds: a finding in the first one shows 0.
    [ "${execs:-0}" != 0 ] || execs="$(stat_value number_of_executed_units "$log") runs"
    inputs=$(find "$corpus" -type f | wc -l)
    bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
    result="no finding"
    if [ "$rc" -ne 0 ]; then
        found=1
        artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
        if [ -n "$artifact" ]; then
            result="FINDING: $artifact (log: $log)"
        elif [ "$rc" -ge 124 ]; then
            result="FINDING: stopped by the outer timeout (log: $log)"
        else
            result="FINDING: exit code $rc, no input saved (log: $log)"
        fi
    fi
    printf '%-12s %12s  %d inputs, %d bytes; %s\n' "$name" "${execs:-?}" "$inputs" "$bytes" "$result"

    if [ "$merge" -eq 1 ] && [ "$rc" -eq 0 ]; then
        "$binary" -merge=1 "$here/corpus/$name" "$corpus" >"$build/logs/$name.merge.log" 2>&1
        echo "  merged into tests/fuzz/corpus/$name: $(find "$here/corpus/$name" -type f | wc -l) inputs"
    fi
done
exit "$found"
