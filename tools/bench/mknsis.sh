#!/usr/bin/env bash
# The peer installer of the benchmarks: the files of a benchmark distribution
# (the files.txt that makedata.py writes) as an NSIS installer, built with
# Debian's makensis.
#
#   mknsis.sh FILES.TXT OUT.EXE
#
# NSIS's defaults otherwise: zlib compression, file by file, and the CRC
# check of the installer at start. Like the setup program, it writes the
# files into the install directory, places an uninstaller and records the
# installation (in the registry). An ANSI installer, as the setup program
# is ANSI. Run silently: OUT.EXE /S /D=C:\Vantrx (/D= last, without quotes).
set -euo pipefail
list=$1
out=$(readlink -f "$2")
script=${out%.*}.nsi
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelPeer'
{
    echo '; The benchmarks'"'"' peer installer (written by tools/bench/mknsis.sh)'
    echo 'Unicode false'
    echo 'Name "ZEL Vantorix"'
    echo "OutFile \"$out\""
    echo 'InstallDir "C:\Vantrx"'
    echo 'RequestExecutionLevel admin'
    echo 'SetCompressor zlib'
    echo 'Page directory'
    echo 'Page instfiles'
    echo 'Section'
    echo '  SetOutPath "$INSTDIR"'
    while IFS=$'\t' read -r _disk _diskname target _size original; do
        echo "  File \"/oname=$target\" \"$original\""
    done <"$list"
    echo '  WriteUninstaller "$INSTDIR\uninst.exe"'
    echo "  WriteRegStr HKLM \"$key\" \"DisplayName\" \"ZEL Vantorix\""
    echo "  WriteRegStr HKLM \"$key\" \"UninstallString\" '\"\$INSTDIR\\uninst.exe\"'"
    echo 'SectionEnd'
    echo 'Section Uninstall'
    echo '  RMDir /r "$INSTDIR"'
    echo "  DeleteRegKey HKLM \"$key\""
    echo 'SectionEnd'
} >"$script"
makensis -V2 "$script" >/dev/null
