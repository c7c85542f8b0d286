#!/usr/bin/env bash
# The folders of src/ as floors: each folder includes only its own headers and those of the floors below it. The
# order is the `src/...` lines at the top of README "Layout", ground floor first; this check reads it there, so the
# README is the plan. Every `#include "..."` of src/ is read; an include with no folder names a file of its own
# folder. Fails on an include that runs upward, naming the file, the line and both floors, and on a folder that
# has no floor.
top=${ZEL_SOURCE:-$(cd "$(dirname "$0")/../.." && pwd)}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

declare -A floor
n=0
while read -r folder; do
    n=$((n + 1))
    floor[$folder]=$n
done < <(awk '/^## Layout/ { on = 1; next } /^## / { on = 0 } on' "$top/README.md" |
    sed -nE 's/^- `src\/([a-z0-9]+)`.*/\1/p')
[ "$n" -ge 2 ] || { echo "FAIL: no floors read from README.md \"Layout\"" >&2; exit 1; }

for dir in "$top"/src/*/; do
    folder=$(basename "$dir")
    [ -n "${floor[$folder]:-}" ] || fail "src/$folder has no floor in README.md \"Layout\""
done

includes=0
while IFS=: read -r file line text; do
    includes=$((includes + 1))
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/' <<<"$text")
    from=${file#src/} && from=${from%%/*}
    to=$from
    [[ $target != */* ]] || to=${target%%/*}
    if [ -z "${floor[$to]:-}" ]; then
        fail "$file:$line: includes \"$target\", whose folder $to has no floor"
    elif [ -n "${floor[$from]:-}" ] && [ "${floor[$to]}" -gt "${floor[$from]}" ]; then
        fail "$file:$line: includes \"$target\": $from (floor ${floor[$from]}) may not use $to (floor ${floor[$to]})"
    fi
done < <(cd "$top" && grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' src)
[ "$includes" -gt 0 ] || fail "no #include read in src/"
echo "$includes includes over $n floors"
[ "$failures" = 0 ] && echo "ok" || exit 1
