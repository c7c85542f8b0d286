# print_shortcuts DRIVE_C: the shortcuts under the Start Menu folders of a prefix's drive C:, each as its
# Windows path and what it runs: the last of its Unicode strings is the target, and one before it that
# starts with "-" its arguments. Status 1 when there are none. Sourced by the demo and ./run try.
print_shortcuts() {
    local f found=1
    while IFS= read -r -d '' f; do
        found=0
        printf '   C:\\%s\n      runs %s\n' "$(echo "${f#"$1"/}" | tr / '\\')" \
            "$(strings -el "$f" | tail -n 2 | awk 'NR == 1 && /^-/ { args = " " $0 } NR == 2 { print $0 args }')"
    done < <(find "$1" -path '*Start Menu*' -name '*.lnk' -print0 2>/dev/null | sort -z)
    return $found
}
