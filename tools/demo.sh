#!/usr/bin/env bash
# ./run demo [win95]: installs the sample distribution of the shipped i686 build
# (build/i686/dist) the way a user would, under 32-bit Wine with the Windows
# NT 4.0 personality (or Windows 95's: Start Menu shortcuts and no Windows NT
# configuration), natively or under qemu-i386 (see wh_probe32 in
# tests/harness/wine-env.sh). ZEL_BUILD names another build folder. A: is mapped
# onto DISK1 through the prefix's dosdevices; the driver starts A:\SETUP.EXE
# and walks the wizard (welcome -> path -> components -> confirmation ->
# copy; no components page on Windows 95), A: is re-pointed to DISK2 at the disk prompt, and the closing boxes
# are answered. Then it prints what got installed: files, ZELSETUP.INI,
# ZEL_NT.INI, registry entries, the service and the Program Manager group
# (on Windows 95: the shortcuts, and that none of the Windows NT parts is there).
# Exit 0 when the installation is complete and every file matches its
# source. DEMO_KEEP=1 keeps the prefix (its path is printed). Where Xvfb
# and ImageMagick are installed the run draws through Wine's X11 driver on a
# virtual screen and saves build/demo-disk-prompt.png while the disk prompt
# is up (DEMO_SCREENSHOT=0 turns that off).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [ "${DEMO_SCREENSHOT:-1}" != 0 ] && [ -z "${ZEL_DEMO_XVFB:-}" ] &&
    command -v xvfb-run >/dev/null && command -v import >/dev/null; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env ZEL_DEMO_XVFB=1 bash "$0" "$@"
fi
shot=""
if [ "${ZEL_DEMO_XVFB:-}" = 1 ]; then
    shot=$top/build/demo-disk-prompt.png
    rm -f "$shot"
fi
. "$top/tests/harness/wine-env.sh"
. "$top/tools/shortcuts.sh"
version=${1:-nt40}
case $version in
nt40) system="Windows NT 4.0" nt=1 ;;
win95) system="Windows 95" nt=0 ;;
*)
    echo "usage: ./run demo [win95]" >&2
    exit 2
    ;;
esac
ZEL_BUILD=${ZEL_BUILD:-$top/build/i686}

work=$(mktemp -d "${TMPDIR:-/tmp}/zeldemo.XXXXXX")
prefix=""
progman_pid=""
cleanup() {
    [ -n "$progman_pid" ] && kill "$progman_pid" 2>/dev/null && wait "$progman_pid" 2>/dev/null
    if [ "${DEMO_KEEP:-0}" = 1 ]; then
        echo "prefix kept: $prefix"
    else
        wh_stop "$prefix"
        rm -rf "$work"
    fi
}
trap cleanup EXIT

say() { printf '\n== %s\n' "$*"; }
win() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }
fail() {
    echo "demo: $*" >&2
    exit 1
}

driver=$ZEL_BUILD/tools/driver/zeldriver.exe
[ -f "$ZEL_BUILD/SETUP.EXE" ] && [ -f "$driver" ] || fail "build first (./run build)"
# The prefix is of the setup program's own kind, so is everything run in it.
WH_ARCH=$(wh_pe_arch "$ZEL_BUILD/SETUP.EXE") || fail "$ZEL_BUILD/SETUP.EXE is not a Windows program"
if [ ! -f "$ZEL_BUILD/dist/DISK1/SETUP.EXE" ]; then
    bash "$top/tools/dist/make-sample.sh" "$ZEL_BUILD" || fail "cannot make the sample distribution"
fi
# The disks are copied so the run cannot touch the build's distribution.
cp -r "$ZEL_BUILD/dist" "$work/dist"
disks=$(ls -d "$work/dist"/DISK* | wc -l)

say "$WH_ARCH-bit Wine prefix ($system) for $ZEL_BUILD/SETUP.EXE, A: -> DISK1 of $disks"
prefix=$(wh_new_prefix demo "$version") || fail "cannot make a Wine prefix"
c=$prefix/drive_c
ln -sfn "$work/dist/DISK1" "$prefix/dosdevices/a:"
echo "prefix $prefix"
if [ -n "$shot" ]; then
    # Drawn through X11; with no window manager on the virtual screen Wine
    # manages its windows itself, so the maximised main window fills it.
    wh_wine "$prefix" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
    wh_wine "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi

# The Program Manager that takes the group: Wine's own cannot run under the
# null display driver, so our test Program Manager stands in when built.
progman=$ZEL_BUILD/tools/progman/progman.exe
app=1
if [ $nt = 0 ]; then
    echo "Windows 95: the shortcuts go to the Start Menu, no Program Manager is asked"
elif [ -f "$progman" ]; then
    mkdir -p "$work/pm"
    wh_wine "$prefix" "$progman" --log "$(win "$work/pm")\\log" --state "$(win "$work/pm")\\state" >/dev/null 2>&1 &
    progman_pid=$!
    for _ in $(seq 1 100); do
        [ -f "$work/pm/ready" ] && break
        sleep 0.1
    done
    [ -f "$work/pm/ready" ] || fail "the test Program Manager did not start"
else
    echo "no $progman: the application component is left out (no Program Manager to make its group)"
    app=0
fi

# The Linux side swaps the disk while the driver holds the repeated prompt.
(
    for _ in $(seq 1 1500); do
        [ -f "$c/demo.prompted" ] && break
        sleep 0.2
    done
    if [ -n "$shot" ]; then
        sleep 1 # the repeated prompt and the page behind it finish painting
        import -window root "$shot" 2>/dev/null && echo "   (screenshot of the disk prompt: $shot)"
    fi
    ln -sfn "$work/dist/DISK2" "$prefix/dosdevices/a:"
    echo "   (A: now -> DISK2)"
    touch "$c/demo.swapped"
) &
swapper=$!

# Windows NT only: the components page, and the restart question at the end.
# Windows 95 without the ZEL driver (as Wine is) is told how to install it.
components="" restart=""
nodriver='box "There is no ZEL driver installed on your system.\n\nYou must install the ZEL driver by choosing\nSystem in the Control Panel." caption "ZEL Vantorix Setup" icon exclamation press ok'
if [ $nt = 1 ]; then
    components="page 106
$([ $app = 1 ] || echo "click 1005")
check 1005 $app
check 1006 1
click 1003"
    nodriver=""
    restart='box "To ensure that changes made by Setup have\ntaken effect, Windows NT needs to be\nrestarted.\n\nDo you want to restart Windows NT now?" buttons yesno press no'
fi
cat >"$work/demo.scenario" <<EOF
start "A:\\SETUP.EXE"
timeout 60000
page 100
click 1003
page 101
type 1001 "C:\\\\Vantrx"
click 1003
box "The path C:\\\\Vantrx does not exist.\\nWould you like to create it?" caption "Setup" press ok
$components
page 103
click 1003
box "Please insert ZEL Vantorix Disk #2" caption "Change Disks" icon exclamation buttons okcancel press ok
box "Please insert ZEL Vantorix Disk #2" caption "Change Disks"
touch "C:\\demo.prompted"
waitfile "C:\\demo.swapped"
box "Please insert ZEL Vantorix Disk #2" caption "Change Disks" press ok
$nodriver
box "Installation of ZEL Vantorix was successful!" caption "Good News" icon info press ok
$restart
exit 0
EOF

reg_show() {
    wh_wine "$prefix" reg query "$@" 2>/dev/null | tr -d '\r' | sed '/^$/d; s/^/   /'
}

# Prints what the run left and counts what is missing or wrong.
demo_report() {
    local problems=0
    say "Installed files in C:\\Vantrx (checked against the distribution's sources)"
    python3 - "$ZEL_BUILD/dist/manifest.txt" "$ZEL_BUILD/dist/DISK1/SETUP.INI" "$c/Vantrx" "$ZEL_BUILD/SETUP.EXE" <<'PY'
import os, re, shlex, sys
manifest, script, target_dir, setup = sys.argv[1:5]
sources = {"setup.zel": setup}
for line in open(manifest):
    f = shlex.split(line, comments=True)
    if len(f) >= 3:
        sources[f[2].lower()] = f[1]
entries = [l.split("=", 1)[1].split() for l in open(script) if re.match(r"file[0-9]+=", l)]
bad = 0
for disk, source, target, size in entries:
    path = os.path.join(target_dir, target)
    want = open(sources[target.lower()], "rb").read()
    if target.lower() == "setup.zel":
        state = "removed after use (ok)" if not os.path.exists(path) else "STILL THERE"
        bad += os.path.exists(path)
    elif not os.path.exists(path):
        state, bad = "MISSING", bad + 1
    elif open(path, "rb").read() != want:
        state, bad = "DIFFERS from its source", bad + 1
    else:
        state = "identical to its source"
    print("   disk %s  %-13s -> %-13s %8s bytes  %s" % (disk, source, target, size, state))
extra = sorted(set(os.listdir(target_dir)) - {e[2] for e in entries}) if os.path.isdir(target_dir) else []
for name in extra:
    print("   also    %s" % name)
sys.exit(bad)
PY
    problems=$((problems + $?))

    say "Windows directory"
    local f
    for f in zelunins.exe vantrx.386 ZELSETUP.INI; do
        if [ -f "$c/windows/$f" ]; then
            echo "   $f ($(stat -c %s "$c/windows/$f") bytes)"
        else
            echo "   $f MISSING"
            problems=$((problems + 1))
        fi
    done
    cmp -s "$c/windows/zelunins.exe" "$ZEL_BUILD/SETUP.EXE" || {
        echo "   zelunins.exe is not a copy of SETUP.EXE"
        problems=$((problems + 1))
    }
    for f in msvcrt.dll msvcrt40.dll; do
        # Windows names are case-blind: Windows 95's way of putting a file in place leaves the script's spelling.
        if cmp -s "$(find "$c/windows/system32/" -maxdepth 1 -iname "$f")" "$(wh_template_dir "$WH_ARCH")/drive_c/windows/system32/$f"; then
            echo "   system32\\$f: expanded from the disk, identical to the prefix's own"
        else
            echo "   system32\\$f DIFFERS from the prefix's own"
            problems=$((problems + 1))
        fi
    done

    say "Install history C:\\windows\\ZELSETUP.INI"
    tr -d '\r' <"$c/windows/ZELSETUP.INI" 2>/dev/null | sed 's/^/   /'
    if [ $nt = 0 ]; then
        say "Start Menu shortcuts"
        print_shortcuts "$c" || {
            echo "   none"
            problems=$((problems + 1))
        }
        say "Windows NT configuration (none on Windows 95)"
        local left=""
        [ ! -f "$c/Vantrx/ZEL_NT.INI" ] || left="$left ZEL_NT.INI"
        wh_wine "$prefix" reg query 'HKLM\SYSTEM\CurrentControlSet\Services\ZELSRV' >/dev/null 2>&1 &&
            left="$left ZELSRV"
        if [ -z "$left" ]; then
            echo "   no ZEL_NT.INI, no ZELSRV service"
        else
            echo "   LEFT:$left"
            problems=$((problems + 1))
        fi
        say "Registry"
        reg_show 'HKLM\SOFTWARE\ZEL' /s
        return "$problems"
    fi
    say "Logger configuration C:\\Vantrx\\ZEL_NT.INI"
    if [ -f "$c/Vantrx/ZEL_NT.INI" ]; then
        tr -d '\r' <"$c/Vantrx/ZEL_NT.INI" | sed 's/^/   /'
    else
        echo "   MISSING"
        problems=$((problems + 1))
    fi

    say "Registry"
    reg_show 'HKLM\SOFTWARE\ZEL' /s
    reg_show 'HKLM\SYSTEM\CurrentControlSet\Services\SNMP\Parameters\ExtensionAgents' /v zelScsi
    wh_wine "$prefix" reg query 'HKLM\SOFTWARE\ZEL\SNMP\SCSI_SYSTEM_AGENT\CurrentVersion' /v Pathname 2>/dev/null |
        grep -qi 'ZELAGENT.DLL' || {
        echo "   SNMP agent not registered"
        problems=$((problems + 1))
    }

    say "Service ZELSRV"
    if wh_wine "$prefix" reg query 'HKLM\SYSTEM\CurrentControlSet\Services\ZELSRV' >/dev/null 2>&1; then
        reg_show 'HKLM\SYSTEM\CurrentControlSet\Services\ZELSRV' /v ImagePath
        reg_show 'HKLM\SYSTEM\CurrentControlSet\Services\ZELSRV' /v Start
    else
        echo "   not created"
        problems=$((problems + 1))
    fi

    if [ -f "$work/pm/log" ]; then
        say "Program Manager (test server) commands received"
        tr -d '\r' <"$work/pm/log" | sed 's/^/   /'
        echo "   (a ReplaceItem fails in a new group: there is no earlier item to replace)"
    fi
    return "$problems"
}

say "Running A:\\SETUP.EXE through the wizard"
rc=0
wh_wine "$prefix" "$driver" "$(win "$work/demo.scenario")" "$(win "$work")\\transcript.txt" \
    >"$work/driver.out" 2>&1 || rc=$?
kill "$swapper" 2>/dev/null
wait "$swapper" 2>/dev/null
grep -E '^(step|pressed|saw|program)' "$work/transcript.txt" 2>/dev/null | sed 's/^/   /'
if [ "$rc" -ne 0 ]; then
    echo "---- driver failed (exit $rc); transcript tail:"
    tail -n 25 "$work/transcript.txt" 2>/dev/null || cat "$work/driver.out"
fi

demo_report
report=$?

say "Summary"
if [ "$rc" -eq 0 ] && [ "$report" -eq 0 ]; then
    echo "ZEL Vantorix 1.K2 installed in C:\\Vantrx on $system from $disks disks: wizard, disk swap, files,"
    if [ $nt = 1 ]; then made="registry and service"; else made="shortcuts"; fi
    echo "history, $made as shown above. Demo passed."
    [ -n "$shot" ] && [ -f "$shot" ] && echo "Screenshot of the disk prompt: $shot"
    exit 0
fi
echo "Demo FAILED (driver exit $rc, $report problem(s) in the installation)."
exit 1
