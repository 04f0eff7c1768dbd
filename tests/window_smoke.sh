#!/usr/bin/env bash
# Smoke test of the real program: starts it under Xvfb in a directory with
# one file, finds its window by title, checks the window's size, clicks the
# file and saves a screenshot for a person to look at.
#   window_smoke.sh <tallix binary> <screenshot.png>
set -euo pipefail

tallix=$1
screenshot=$2
title='Tallixサンプル'

for tool in xvfb-run xdotool import; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

# Re-run this script inside a fresh X server at 96 dots per inch.
if [ -z "${TALLIX_SMOKE_IN_XVFB:-}" ]; then
    exec env TALLIX_SMOKE_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

printf 123456789 >"$work/a.txt"
(cd "$work" && exec "$tallix") &
pid=$!

window=$(timeout 30 xdotool search --sync --name "^${title}\$" | head -n 1)
if [ -z "$window" ]; then
    echo "no window titled $title appeared"
    exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window $window: ${WIDTH}x${HEIGHT}"
if [ "$WIDTH" != 507 ] || [ "$HEIGHT" != 311 ]; then
    echo "expected a client area of 507x311 pixels (7605x4665 twips at 96 dpi)"
    exit 1
fi

# The first entry of the file list sits at the top left of its box
# (3480, 240 twips); clicking it shows the report in the label.
xdotool mousemove --window "$window" 260 26 click 1
sleep 1
kill -0 "$pid"  # still running
import -window "$window" "$screenshot"
echo "screenshot: $screenshot"
