#!/usr/bin/env bash
# tallix-report.exe in Japanese under Wine, Wine taking the display language
# from LANG: messages are Japanese on the console in code pages 932 and
# 65001 and whole UTF-8 in a file; what goes to standard output is the same
# bytes in every language; a language without a catalogue gives English.
#   japanese_command.sh <tallix-report.exe>
set -uo pipefail

report=$1
for tool in wine script; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$report" "$work/tallix-report.exe"
cd "$work" || exit 1
printf 123456789 >digits.txt
printf 'CBF43926 6F91 9 digits.txt\n00000000 0000 9 missing.txt\n' >list

failed=0
check() {  # check <what> <command...>
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi
}
run() {  # run <locale> <arguments...>: the run's standard output
    LANG=$1 LC_ALL='' LANGUAGE='' DISPLAY='' wine tallix-report.exe "${@:2}" 2>/dev/null
}
# The console's text (a terminal of its own) after `chcp PAGE`, without
# the terminal's control sequences.
console() {  # console <code page> <arguments...>
    LANG=ja_JP.UTF-8 LC_ALL='' DISPLAY='' script -qec \
        "wine cmd /c 'chcp $1 >nul & tallix-report.exe ${*:2}'" /dev/null |
        sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\r'
}

for page in 932 65001; do
    check "Japanese on the console in code page $page" grep -qF \
        "不明なオプション '--bogus' です" <(console "$page" --bogus)
done
LANG=ja_JP.UTF-8 DISPLAY='' wine tallix-report.exe --check list 2>errors.txt >/dev/null
check "the summary in a file, Japanese" grep -qF "警告: リストの 1 個のファイルを読み込めませんでした" errors.txt
check "as whole UTF-8" iconv -f UTF-8 -t UTF-8 -o /dev/null errors.txt
for args in "--brief digits.txt" "--sfv digits.txt" "--check list"; do
    # shellcheck disable=SC2086
    check "the same output in Japanese: $args" cmp -s <(run C $args) <(run ja_JP.UTF-8 $args)
done
check "a language without a catalogue gives English" grep -qF "unrecognised option '--bogus'" \
    <(LANG=fr_FR.UTF-8 DISPLAY='' wine tallix-report.exe --bogus 2>&1)
exit $failed
