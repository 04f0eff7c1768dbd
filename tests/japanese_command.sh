#!/usr/bin/env bash
# tallix-report and the window's command line as installed, in Japanese:
# messages, warnings, the summary and --help come from the catalogue, while
# what goes to standard output (--brief, --sfv, --check's verdict lines)
# is the same bytes in every language; a locale without a catalogue, or
# none installed, gives English.
#   japanese_command.sh <build directory>
set -uo pipefail

build=$1
if ! locale -a | grep -qix 'ja_JP.utf-\?8'; then
    # Made here when it is missing and this user may.
    [ "$(id -u)" -eq 0 ] && localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 2>/dev/null ||
        { echo "the locale ja_JP.UTF-8 is not installed"; exit 77; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/usr" >/dev/null || exit 1
report=$work/usr/bin/tallix-report
cd "$work" || exit 1
printf 123456789 >digits.txt
printf 'x' >other.txt
printf 'CBF43926 6F91 9 digits.txt\n00000000 0000 1 other.txt\n' >list

failed=0
check() {  # check <what> <command...>: fails the test when the command does
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi
}
# Standard error of a run in `locale`, with the status after it.
errors() {
    local locale=$1
    shift
    LANG=$locale LC_ALL='' LANGUAGE='' "$@" 2>&1 >/dev/null
    echo "status $?"
}
# Standard output of a run in `locale`, timings left out.
output() {
    local locale=$1
    shift
    LANG=$locale LC_ALL='' LANGUAGE='' "$@" 2>/dev/null | sed 's/[0-9]*ms/ms/g'
}

ja=ja_JP.UTF-8
check "usage error in Japanese" grep -qxF "tallix-report: 不明なオプション '--bogus' です" \
    <(errors $ja "$report" --bogus)
check "its hint in Japanese, status 2" grep -qzF \
    $'詳しくは \'tallix-report --help\' を実行してください。\nstatus 2' <(errors $ja "$report" --bogus)
check "a locale without a catalogue gives English" grep -qxF \
    "tallix-report: unrecognised option '--bogus'" <(errors fr_FR.UTF-8 "$report" --bogus)
check "the C locale gives English whatever LANGUAGE says" grep -qxF \
    "tallix-report: unrecognised option '--bogus'" \
    <(LC_ALL=C LANGUAGE=ja "$report" --bogus 2>&1)
check "the summary of --check in Japanese" grep -qxF \
    "tallix-report: 警告: リストの 1 個のファイルが一致しませんでした" \
    <(errors $ja "$report" --check list)
for args in "--brief digits.txt other.txt" "--sfv digits.txt" "--check list" \
    "digits.txt" "--crc16-family digits.txt" "--appended le digits.txt"; do
    # shellcheck disable=SC2086
    check "the same output in Japanese: $args" cmp -s <(output C $report $args) \
        <(output $ja $report $args)
done
check "the verdict lines stay English" cmp -s <(output $ja "$report" --check list) \
    <(printf 'digits.txt: OK\nother.txt: FAILED (CRC-32, CRC-16)\n')
LANG=$ja "$report" --help >help.txt
check "--help in Japanese, its parts in place" grep -qF "使い方: tallix-report" help.txt
check "--help has no mark left" bash -c '! grep -q "%[A-Z]*%" help.txt'
LANG=$ja "$report" --bogus 2>errors.txt
check "messages in a file are whole UTF-8" iconv -f UTF-8 -t UTF-8 -o /dev/null errors.txt
check "the window's command line in Japanese" grep -qF \
    "tallix: 不明なオプション '--bogus' です" <(errors $ja "$work/usr/bin/tallix" --bogus)
exit $failed
