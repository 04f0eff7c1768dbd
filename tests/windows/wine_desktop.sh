#!/usr/bin/env bash
# Runs a Windows program that needs a display under Wine in a virtual X
# server (Xvfb, 96 dots per inch), in a Wine prefix of its own, so that
# console tests running meanwhile in the build's other prefix never share a
# desktop with it.
#   wine_desktop.sh <wine prefix> <program.exe> [arguments...]
#   wine_desktop.sh <wine prefix> --command <command> [arguments...]
# The second form runs a command (a script that starts Wine programs
# itself) with that prefix and display. Exits 77 (skipped) when Wine or
# Xvfb is missing.
set -euo pipefail

prefix=$1
shift

for tool in wine xvfb-run; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    DISPLAY='' wineboot -i >/dev/null 2>&1
    wineserver -w
    # Wine has none of Windows' Japanese fonts. The program finds the
    # host's IPA Gothic itself; linked to Tahoma, Wine's own font, it shows
    # the katakana of the title bar and message boxes too.
    if fc-list 2>/dev/null | grep -q "ipag.ttf"; then
        DISPLAY='' wine reg add \
            'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v Tahoma /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f >/dev/null 2>&1
    fi
    wineserver -w
fi

if [ -z "${TALLIX_IN_XVFB:-}" ]; then
    exec env TALLIX_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$prefix" "$@"
fi
status=0
if [ "$1" = --command ]; then
    shift
    "$@" || status=$?
else
    wine "$@" || status=$?
fi
wineserver -k 2>/dev/null || true
exit "$status"
