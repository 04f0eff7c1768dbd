#!/usr/bin/env bash
# Smoke test of the real program: starts it under Xvfb in a directory with
# one file, finds its window by title, checks the window's size, clicks the
# file and saves a screenshot for a person to look at; then, with two paths,
# looks for a window each, and with a window manager (openbox, when
# installed), for a start-up error's box centred on the window it placed.
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
wm=
cleanup() {
    for job in $pid $wm; do
        kill "$job" 2>/dev/null || true
        wait "$job" 2>/dev/null || true
    done
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
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

# The windows titled so, once there are `count` of them (up to 15 s).
windows() {  # windows <count>
    local found
    for _ in $(seq 75); do
        found=$(xdotool search --name "^${title}\$" 2>/dev/null || true)
        [ "$(grep -c . <<<"$found")" -ge "$1" ] && echo "$found" && return 0
        sleep 0.2
    done
    return 1
}

mkdir "$work/sub"
(cd "$work" && exec "$tallix" a.txt sub) &
pid=$!
windows 2 >/dev/null || { echo "two paths did not open two windows"; exit 1; }
echo "two paths: two windows"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

if ! command -v openbox >/dev/null; then
    echo "openbox is not installed: the box under a window manager is not checked"
    exit 0
fi
openbox &
wm=$!
sleep 1
(cd "$work" && exec "$tallix" missing.txt) &
pid=$!
found=$(windows 2) || { echo "no window and box for a missing path"; exit 1; }
centres=()
for window in $found; do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    centres+=("$((X + WIDTH / 2)) $((Y + HEIGHT / 2)) $WIDTH")
done
read -r form_x form_y _ < <(printf '%s\n' "${centres[@]}" | grep ' 507$')
read -r box_x box_y _ < <(printf '%s\n' "${centres[@]}" | grep -v ' 507$')
echo "under openbox: the window's centre $form_x,$form_y, the box's $box_x,$box_y"
if [ $((form_x - box_x)) -gt 30 ] || [ $((box_x - form_x)) -gt 30 ] ||
    [ $((form_y - box_y)) -gt 60 ] || [ $((box_y - form_y)) -gt 60 ]; then
    echo "the start-up error's box is not centred on the window"
    import -window root "${screenshot%.png}-wm.png"
    exit 1
fi
