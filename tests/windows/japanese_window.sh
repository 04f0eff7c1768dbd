#!/usr/bin/env bash
# tallix.exe in Japanese under Wine and Xvfb, Wine taking the display
# language from LANG: the error box and the usage box speak Japanese, the
# caption and the report stay as they are; screenshots of the box and the
# report's menu for a person to look at.
#   japanese_window.sh <tallix.exe> <window_probe.exe> <screenshot prefix> <wine prefix>
set -euo pipefail

# shellcheck source=tests/windows/window_test_start.sh
source "$(dirname "$0")/window_test_start.sh"
export LANG=ja_JP.UTF-8 LC_ALL='' LANGUAGE=''
# Wine has none of the fonts a Japanese Windows draws its boxes and menus
# with; the host's IPA Gothic stands in for them.
for font in "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS PGothic" "MS Gothic"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ /d IPAGothic \
        /f >/dev/null 2>&1
done

work=$(mktemp -d)
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
expect_in() {  # expect_in <what> <text expected> <actual>
    grep -qF -- "$2" <<<"$3" || fail "$1: no '$2' in '$3'"
    echo "ok: $1: $2"
}
printf 123456789 >"$work/digits.txt"

# A missing path: the box over the window says so in Japanese.
(cd "$work" && exec wine "$tallix" "Z:${work//\//\\}\\missing.txt") &
pid=$!
for _ in $(seq 50); do
    box=$(probe box) && break
    sleep 0.2
done
echo "$box"
expect_in "box caption" "Tallixサンプル" "$(sed -n 1p <<<"$box")"
expect_in "box headline" "ファイルを開けませんでした。" "$box"
expect_in "box path" "パス: Z:" "$box"
expect_in "box reason" "理由: " "$box"
import -window root "$screenshots-error.png"
probe closebox
probe wait || fail "no form appeared"
sleep 1

# The report is the same in every language; its menu is Japanese.
place=$(probe item digits.txt) || fail "no row digits.txt in the file list"
# shellcheck disable=SC2086
xdotool mousemove $place click 1
sleep 1
report=$(probe label)
expect_in "report" "digits.txt(9バイト)"$'\n'"CRC32 - CBF43926"$'\n'"CRC16 - 6F91"$'\n'"ファイルオープン - " "$report"
read -r x y <<<"$(probe labelchar 0)"
xdotool mousemove "$x" "$y" click 3
sleep 1
import -window root "$screenshots-menu.png"
xdotool key Escape
probe close
wait "$pid" || fail "tallix.exe ended with status $?"
pid=

# An unknown option: the usage box, in Japanese.
(cd "$work" && exec wine "$tallix" --bogus) &
pid=$!
box=$(probe startbox) || fail "no box for an unknown option"
expect_in "usage box" "不明なオプション '--bogus' です" "$box"
expect_in "its usage" "使い方: tallix [[--] PATH...]" "$box"
status=0
wait "$pid" || status=$?
pid=
[ "$status" = 2 ] || fail "tallix.exe ended with status $status, expected 2"
echo "screenshots: $screenshots-*.png"
