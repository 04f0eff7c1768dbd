#!/usr/bin/env bash
# Runs tallix-report.exe under Wine and the Linux tallix-report on the same
# tree of files (odd names, names Windows' path clean-up would change, empty,
# 1 byte, 5 MB, katakana) and fails unless
#   - the --brief lines are the same bytes,
#   - the full reports are the same bytes once the Linux build's line ends
#     are made CR LF and the timings are set to 0: the katakana in UTF-8 and
#     CR LF between the lines,
#   - the --brief lines of the walked tree (-r) and of wildcards and a
#     quoted folder ending in "\" from cmd are the same but for the
#     separator, "\" alone on Windows, and
#   - --crc16-family, --identify, --appended and --range give the same
#     output and exit status.
# Usage: same_report.sh LINUX_TALLIX_REPORT WINDOWS_TALLIX_REPORT_EXE
# WINEPREFIX must name a prepared prefix.
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
cd "$tree"
: >empty
printf '\0' >one-zero-byte
printf 123456789 >digits.txt
head -c 5000000 /dev/urandom >five-mb.bin
printf 'x' >テスト.txt
printf 'y' >'name with  spaces.txt'
printf 'z' >"semi;colon,comma'quote&amp.txt"
printf 'w' >'résumé ユニコード.txt'
mkdir -p odd/dot. odd/sub
for name in a. 'b ' CON con.txt nul.txt AUX dot./in.txt sub/s.txt sub/t.bin; do
    printf '%s' "$name" >"odd/$name"
done
files=(empty one-zero-byte digits.txt five-mb.bin テスト.txt 'name with  spaces.txt'
    "semi;colon,comma'quote&amp.txt" 'résumé ユニコード.txt' odd/a. 'odd/b ' odd/CON
    odd/con.txt odd/nul.txt)

zero_timings() { sed -E 's/ - [0-9]+ms/ - 0ms/g'; }

"$linux" --brief "${files[@]}" >linux.brief
WINEDEBUG=-all wine "$windows" --brief "${files[@]}" >windows.brief
cmp linux.brief windows.brief

"$linux" "${files[@]}" | zero_timings | sed 's/$/\r/' >linux.report
WINEDEBUG=-all wine "$windows" "${files[@]}" | zero_timings >windows.report
cmp linux.report windows.report

# The walk and the wildcards: one separator each, "\" on Windows.
"$linux" --brief -r odd/ >linux.walk
WINEDEBUG=-all wine "$windows" --brief -r odd/ >windows.walk
if grep -q / windows.walk; then
    echo "tallix-report.exe -r wrote a '/':" && cat windows.walk && exit 1
fi
tr '\\' / <windows.walk | cmp linux.walk -
# Patterns, quoted or not, as cmd's own commands take them: files only,
# the folders they match passed over without a word (walked under -r); a
# quoted folder ending in a backslash as meant; a pattern that matches
# nothing an error in the system's words.
mapfile -t odd_files < <(find odd -maxdepth 1 -type f | LC_ALL=C sort)
"$linux" --brief odd/*.txt "${odd_files[@]}" >linux.glob
"$linux" --brief -r odd/sub/ digits.txt >>linux.glob
printf '@"%s" --brief "odd\\*.txt" odd\\*\r\n@"%s" --brief -r "odd\\sub\\" digits.txt\r\n' \
    "$(winepath -w "$windows")" "$(winepath -w "$windows")" >glob.bat
printf '@"%s" --brief "odd\\*.none"\r\n@echo status %%errorlevel%%\r\n' \
    "$(winepath -w "$windows")" >none.bat
WINEDEBUG=-all wine cmd /c glob.bat >windows.glob
tr '\\' / <windows.glob | cmp linux.glob -
WINEDEBUG=-all wine cmd /c none.bat >windows.none 2>windows.none-err || true
grep -q '^status 1' windows.none
grep -qF 'odd\*.none: ' windows.none-err
# Help as Windows programs are asked for it.
WINEDEBUG=-all wine "$windows" /? | grep -q '^Usage: tallix-report'

# The CRC-16 family's modes and --range: the same output and status.
for mode in --crc16-family '--brief --range 1:-1' '--identify 6F91' '--appended le'; do
    # shellcheck disable=SC2086
    linux_status=0 windows_status=0
    "$linux" $mode "${files[@]}" >linux.mode 2>/dev/null || linux_status=$?
    # shellcheck disable=SC2086
    WINEDEBUG=-all wine "$windows" $mode "${files[@]}" >windows.mode 2>/dev/null ||
        windows_status=$?
    cmp linux.mode windows.mode
    [ "$linux_status" = "$windows_status" ] || {
        echo "$mode: exit status $linux_status on Linux, $windows_status on Windows" >&2
        exit 1
    }
done

# The Windows program checks what it listed, and reads a list with CR LF.
sed 's/$/\r/' windows.brief >crlf.list
WINEDEBUG=-all wine "$windows" --check --quiet windows.brief crlf.list
# And lists as Windows users have them: UTF-16 with a byte-order mark and
# backslashes (PowerShell 5.1's `>`), the ANSI code page (cp1252 in the
# locale set here), cp932 named, a path with its drive letter, and names
# for --files-from in UTF-16.
mkdir sub
printf 123456789 >sub/d.txt
printf '; made on Windows\r\nテスト.txt 8CDC1683\r\nsub\\d.txt CBF43926\r\n' |
    iconv -t UTF-16 >powershell.sfv
printf '00000000  caf\xe9\r\n' >ansi.list
: >café
printf 'テスト.txt 8CDC1683\r\n' | iconv -t CP932 >sjis.sfv
printf 'digits.txt\r\nsub\\d.txt\r\n' | iconv -t UTF-16 >names.txt
printf '%s CBF43926\r\n' "$(WINEDEBUG=-all winepath -w "$tree/digits.txt")" >drive.list
LC_ALL=C.UTF-8 WINEDEBUG=-all wine "$windows" --check --quiet powershell.sfv ansi.list drive.list
WINEDEBUG=-all wine "$windows" --check --quiet --list-encoding cp932 sjis.sfv
# Shift_JIS by its other names, 0x5C a path's backslash; a list as `dir /b >`
# writes it, in the console's OEM code page (437 here), read as ANSI first;
# a list written elsewhere, its names found from the current directory.
printf 'sub\\d.txt CBF43926\r\nテスト.txt 8CDC1683\r\n' | iconv -t CP932 >sjis-path.sfv
for name in Shift_JIS SJIS MS_Kanji csShiftJIS Windows-31J; do
    WINEDEBUG=-all wine "$windows" --check --quiet --list-encoding "$name" sjis-path.sfv
done
printf '00000000  caf\x82\r\n' >oem.list
LC_ALL=C.UTF-8 WINEDEBUG=-all wine "$windows" --check --quiet oem.list
printf 'sub\\d.txt CBF43926\r\n' >sub/moved.sfv
WINEDEBUG=-all wine "$windows" --check --quiet 'sub\moved.sfv'
WINEDEBUG=-all wine "$windows" --brief --files-from names.txt >names.brief
printf 'CBF43926 6F91 9 digits.txt\nCBF43926 6F91 9 sub\\d.txt\n' | cmp - names.brief
echo "tallix-report.exe under Wine: the same --brief lines, reports and CRC-16 family" \
    "reports as on Linux; lists in UTF-16, cp1252, the OEM code page and cp932 read"
