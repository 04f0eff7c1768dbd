#!/usr/bin/env bash
# The window's command line before any window opens: the usage and the
# version asked for are printed with status 0, arguments it cannot take end
# with the usage and status 2, and a missing or unreachable display with a
# message and status 1 (never Qt's abort).
#   command_line.sh <tallix binary>
set -uo pipefail

tallix=$1
failed=0
expect() {  # expect <what> <status> <text in stderr> <command...>
    local what=$1 status=$2 text=$3
    shift 3
    local err actual
    err=$("$@" 2>&1 >"$out")
    actual=$?
    if [ "$actual" != "$status" ] || ! grep -qF -- "$text" <<<"$err"; then
        echo "FAILED: $what: status $actual (expected $status), stderr: $err"
        failed=1
    else
        echo "ok: $what"
    fi
}

out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Asked for on any display, or none.
for asked in --help -? /?; do
    expect "$asked" 0 "" env -u DISPLAY "$tallix" "$asked"
    grep -qF "Usage: tallix [[--] PATH...]" "$out" || { echo "FAILED: $asked: $(cat "$out")"; failed=1; }
done
expect "--version" 0 "" env -u DISPLAY "$tallix" --version
grep -qx "tallix [0-9.]*" "$out" || { echo "FAILED: --version: $(cat "$out")"; failed=1; }
expect "an empty path" 2 "Usage: tallix [[--] PATH...]" "$tallix" a ""
expect "an option" 2 "unknown option '-x'" "$tallix" -x
expect "no display" 1 "tallix: cannot open the window: there is no display" \
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$tallix"
# A display number no X server listens on.
number=90
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
    number=$((number + 1))
done
expect "unreachable display" 1 "tallix: cannot open the window: no display could be reached" \
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE DISPLAY=":$number" "$tallix"
exit $failed
