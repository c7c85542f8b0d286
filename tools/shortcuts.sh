# print_shortcuts DRIVE_C: the shortcuts under the Start Menu folders of a prefix's drive C:, each as its
# Windows path and what it runs (the target's local path from the link's LinkInfo, its arguments and its
# working directory from the string data). Status 1 when there are none. Sourced by the demo and ./run try.
print_shortcuts() {
    local links
    mapfile -t links < <(find "$1" -path '*Start Menu*' -name '*.lnk' 2>/dev/null | sort)
    [ ${#links[@]} -gt 0 ] || return 1
    python3 - "$1" "${links[@]}" <<'PY'
import struct, sys
for path in sys.argv[2:]:
    data = open(path, "rb").read()
    flags = struct.unpack_from("<I", data, 20)[0]
    at, target, text = 76, "?", {}
    if flags & 0x1:  # the target's ID list
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & 0x2:  # LinkInfo: its local base path
        size, _, info_flags, _, base = struct.unpack_from("<5I", data, at)
        if info_flags & 0x1:
            target = data[at + base : data.index(b"\0", at + base)].decode("latin-1")
        at += size
    wide = 2 if flags & 0x80 else 1
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "dir"), (0x20, "args"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            raw = data[at + 2 : at + 2 + count * wide]
            text[name] = raw.decode("utf-16-le" if wide == 2 else "latin-1").rstrip("\0")
            at += 2 + count * wide
    shown = "C:\\" + path[len(sys.argv[1]) + 1 :].replace("/", "\\")
    args = " " + text["args"] if text.get("args") else ""
    where = " (in %s)" % text["dir"] if text.get("dir") else ""
    print("   %s\n      runs %s%s%s" % (shown, target, args, where))
PY
}
