#!/usr/bin/env bash
# Smoke test of the real tallix.exe under Wine and Xvfb: starts it in a
# folder of known files, checks the window's size, lists and Tab order,
# clicks files and reads the report back from the label (window_probe.exe),
# makes a file unreadable and a drive change, and saves screenshots for a
# person to look at.
#   window_smoke.sh <tallix.exe> <window_probe.exe> <screenshot prefix> <wine prefix>
set -euo pipefail

# shellcheck source=tests/windows/window_test_start.sh
source "$(dirname "$0")/window_test_start.sh"

work=$(mktemp -d)
pid=
lock=
cleanup() {
    for job in $lock $pid; do
        kill "$job" 2>/dev/null || true
        wait "$job" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

expect() {  # expect <what> <expected> <actual>
    [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
    echo "ok: $1: $3"
}
# The drive list under a busy Wine settles in its own time: its text is
# asked for again for up to ten seconds before it counts as wrong.
drive_settles_at() {  # drive_settles_at <expected first two characters>
    local drive
    for _ in $(seq 20); do
        drive=$(probe drive | cut -c1-2)
        [ "$drive" = "$1" ] && break
        sleep 0.5
    done
    printf '%s' "$drive"
}
click_file() {
    local place
    place=$(probe item "$1") || fail "no row $1 in the file list"
    # shellcheck disable=SC2086
    xdotool mousemove $place click 1
    sleep 1
}

katakana='カタカナ.txt'
printf 123456789 >"$work/digits.txt"
printf 123456789 >"$work/$katakana"
printf 'locked' >"$work/locked.txt"
printf 123456789 >"$work/CON"  # a device name as a file's
mkdir "$work/sub"

(cd "$work" && exec wine "$tallix") &
pid=$!
probe wait || fail "no form appeared"
form=$(xdotool search --sync --name "^Tallixサンプル\$" | head -n 1)
xdotool windowfocus --sync "$form" || true
sleep 1

# 7605 x 4665 twips at 96 dots per inch.
expect "client size" "507 311" "$(probe client)"
expect "first focus" Drive1 "$(probe focus)"
expect "drive" "Z:" "$(probe drive | cut -c1-2)"
expect "current directory's row" "$(basename "$work")" "$(probe dirs | tail -n 2 | head -n 1 | sed 's/^ *//')"
expect "subdirectory row" "sub" "$(probe dirs | tail -n 1 | sed 's/^ *//')"
expect "files" "CON digits.txt locked.txt $katakana" "$(probe files | tr '\n' ' ' | sed 's/ $//')"

for next in Dir1 File1 Drive1; do
    xdotool key Tab
    sleep 0.5
    expect "focus after Tab" "$next" "$(probe focus)"
done

click_file digits.txt
report=$(probe label)
echo "$report"
expect "size line" "digits.txt(9バイト)" "$(sed -n 1p <<<"$report" | sed 's/.*\\//')"
expect "CRC-32 line" "CRC32 - CBF43926" "$(sed -n 2p <<<"$report")"
expect "CRC-16 line" "CRC16 - 6F91" "$(sed -n 3p <<<"$report")"
grep -Eq '^ファイルオープン - [0-9]+ms , CRC32 - [0-9]+ms , CRC16 - [0-9]+ms$' <<<"$(sed -n 4p <<<"$report")" ||
    fail "timing line: $(sed -n 4p <<<"$report")"

click_file CON
expect "device name as a file" "CON(9バイト)" "$(probe label | sed -n 1p | sed 's/.*\\//')"

click_file "$katakana"
report=$(probe label)
expect "katakana name" "$katakana(9バイト)" "$(sed -n 1p <<<"$report" | sed 's/.*\\//')"
expect "its CRC-32" "CRC32 - CBF43926" "$(sed -n 2p <<<"$report")"
import -window root "$screenshots-report.png"

# Ctrl+C in the file list copies the whole report; text selected in the
# label with the mouse, the focus staying on the list, copies just that.
xdotool key ctrl+c
sleep 0.5
expect "copied report" "$report" "$(probe clipboard)"
first=$(sed -n 1p <<<"$report")
crc32=$((${#first} + 2 + 8))  # "CBF43926" on the second line, after CR LF
read -r x y <<<"$(probe labelchar "$crc32")"
read -r x2 _ <<<"$(probe labelchar $((crc32 + 7)))"
xdotool mousemove "$x" "$y" mousedown 1 mousemove $((x + 4)) "$y" sleep 0.2 \
    mousemove $((x2 + 12)) "$y" sleep 0.2 mouseup 1
sleep 0.5
expect "focus after selecting in the label" File1 "$(probe focus)"
xdotool key ctrl+c
sleep 0.5
expect "copied selection" CBF43926 "$(probe clipboard)"

# A file another program holds open without sharing cannot be read: the
# error box names it, and afterwards the highlight and report are as before.
wine "$probe" lock "$work/locked.txt" 120 >/dev/null &
lock=$!
sleep 2
click_file locked.txt
box=$(probe box) || fail "no error box"
echo "$box"
expect "error box caption" "Tallixサンプル" "$(sed -n 1p <<<"$box")"
grep -q "Could not" <<<"$box" || fail "error box text: $box"
grep -q "locked.txt" <<<"$box" || fail "error box path: $box"
import -window root "$screenshots-error.png"
probe closebox
sleep 1
expect "highlight after the error" "$katakana" "$(probe selected)"
expect "report after the error" "$report" "$(probe label)"

# Another drive, chosen with the keyboard on the drive list (C: is above
# Z:): the directory list moves to its root, the report stays.
xdotool mousemove 0 0
xdotool key Tab  # from the file list, clicked last
sleep 0.5
expect "focus on the drive list" Drive1 "$(probe focus)"
xdotool key Up
expect "drive after Up" "C:" "$(drive_settles_at C:)"
expect "directory list's root" 'C:\' "$(probe dirs | head -n 1)"
expect "report after the drive change" "$report" "$(probe label)"
import -window root "$screenshots-drive.png"

# Enter in the directory list opens the highlighted entry (the last one,
# C:\windows).
xdotool key Tab
sleep 0.5
xdotool key End Return
sleep 1
expect "directory opened with Enter" windows "$(probe dirs | sed -n 2p | sed 's/^ *//')"

probe close
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
wait "$pid" || fail "tallix.exe ended with status $?"
pid=

# Started with a path, as Explorer's verb starts it ("tallix.exe "%1""): the
# lists on its folder and the file highlighted and reported; a folder is
# opened; a missing path is reported over the window once it shows; a
# locked file is reported as a click on it is.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
start() {
    (cd "$work" && exec wine "$tallix" "$@") &
    pid=$!
}
finish() {  # finish <status expected>
    local status=0
    wait "$pid" || status=$?
    pid=
    [ "$status" = "$1" ] || fail "tallix.exe ended with status $status, expected $1"
}
spaced="$katakana two words.txt"
mkdir "$work/sub dir"
printf 123456789 >"$work/sub dir/$spaced"
# Windows names a file in any case.
start "$(windows_path "$work/sub dir/${spaced^^}")"
probe wait || fail "no form appeared for a file argument"
sleep 1
expect "file argument's folder" "sub dir" "$(probe dirs | tail -n 1 | sed 's/^ *//')"
expect "file argument highlighted" "$spaced" "$(probe selected)"
report=$(probe label)
expect "file argument's size line" "$spaced(9バイト)" "$(sed -n 1p <<<"$report" | sed 's/.*\\//')"
expect "file argument's CRC-32" "CRC32 - CBF43926" "$(sed -n 2p <<<"$report")"
probe close
finish 0

start "$(windows_path "$work/sub dir")"
probe wait || fail "no form appeared for a folder argument"
expect "folder argument's files" "$spaced" "$(probe files)"
expect "folder argument's report" "" "$(probe label)"
probe close
finish 0

start "$(windows_path "$work/missing.txt")"
for _ in $(seq 50); do
    box=$(probe box) && break
    sleep 0.2
done
grep -q "missing.txt" <<<"$box" || fail "box for a missing argument: $box"
import -window root "$screenshots-start-error.png"
probe closebox
probe wait || fail "no form appeared after a missing argument"
expect "files after a missing argument" "CON digits.txt locked.txt $katakana" \
    "$(probe files | tr '\n' ' ' | sed 's/ $//')"
probe close
finish 0

kill "$lock" 2>/dev/null || true
wait "$lock" 2>/dev/null || true
wine "$probe" lock "$work/locked.txt" 60 >/dev/null &
lock=$!
sleep 2
start "$(windows_path "$work/locked.txt")"
probe wait || fail "no form appeared for a locked file argument"
for _ in $(seq 50); do
    box=$(probe box) && break
    sleep 0.2
done
grep -q "locked.txt" <<<"$box" || fail "box for a locked file argument: $box"
probe closebox
sleep 1
expect "highlight after a locked file argument" "" "$(probe selected)"
probe close
finish 0

# Two paths, as Send to passes a selection: a window each, the program
# running until the last is closed.
start "$(windows_path "$work/digits.txt")" "$(windows_path "$work/sub dir")"
for _ in $(seq 50); do
    [ "$(probe forms)" = 2 ] && break
    sleep 0.2
done
expect "windows for two paths" 2 "$(probe forms)"
probe close
sleep 1
expect "windows after closing one" 1 "$(probe forms)"
kill -0 "$pid" || fail "tallix.exe ended with a window open"
probe close
finish 0

# Help as Windows programs are asked for it: the usage in a box.
start /?
box=$(probe startbox) || fail "no box for /?"
expect "usage box caption" "Tallixサンプル" "$(sed -n 1p <<<"$box")"
grep -q "Usage: tallix" <<<"$box" || fail "usage box: $box"
finish 0

# At 150 % the window and its controls are laid out for 144 dots per inch.
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
    wineserver -k
    wineserver -w
}
set_dpi 144
trap 'set_dpi 96; cleanup' EXIT
(cd "$work" && exec wine "$tallix") &
pid=$!
probe wait || fail "no form appeared at 144 dots per inch"
sleep 1
expect "client size at 144 dots per inch" "761 467" "$(probe client)"
click_file digits.txt
expect "CRC-32 at 144 dots per inch" "CRC32 - CBF43926" "$(probe label | sed -n 2p)"
import -window root "$screenshots-144dpi.png"
probe close
wait "$pid" || fail "tallix.exe ended with status $?"
pid=
echo "screenshots: $screenshots-*.png"
