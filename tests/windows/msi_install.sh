#!/usr/bin/env bash
# The Windows installer under Wine and Xvfb: installs an older version
# silently, then this one over it through its pages; checks the files (the
# text files with names Windows opens), each program's version and icon,
# the shortcuts, the Explorer verbs and the Installed apps entry with its
# install location; runs the verb's command line on a file and on a folder
# and reads the window's report back (window_probe.exe); uninstalls, and
# checks that nothing the installer added is left.
#   msi_install.sh <tallix.msi> <older tallix.msi> <version> <window_probe.exe> <wine prefix>
set -euo pipefail

msi=$1
older_msi=$2
version=$3
probe=$4
prefix=$5

if [ -z "${TALLIX_IN_XVFB:-}" ]; then
    exec "$(dirname "$0")/wine_desktop.sh" "$prefix" --command "$0" "$@"
fi
# No menu entries on the host for the shortcuts made in the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

work=$(mktemp -d)
cleanup() {
    wine "$probe" close 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*"
    exit 1
}
expect() {  # expect <what> <expected> <actual>
    [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
    echo "ok: $1: $3"
}
probe() { wine "$probe" "$@" | tr -d '\r'; }
msiexec() { wine msiexec "$@" /qn || fail "msiexec $*: status $?"; }
value() {  # value <key> [<name>]: a registry value's data, or nothing
    local key=$1
    shift
    local which=(/ve)
    [ $# -eq 0 ] || which=(/v "$1")
    wine reg query "$key" "${which[@]}" 2>/dev/null | tr -d '\r' |
        sed -n 's/^    [^ ].*    REG_[A-Z_]*    //p'
}
wait_for_page() {  # wait_for_page <title>: up to 30 s for the installer's page
    for _ in $(seq 150); do
        xdotool search --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}
# Everything the installer could touch: the files of drive C: and the
# user's registry outside Windows Installer's and Wine's own bookkeeping,
# and the Installed apps entries.
snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . | grep -v -e '^./windows/Installer' \
        -e '^./users/[^/]*/AppData/Roaming/Microsoft/Installer' | sort)
    wine reg query 'HKCU\Software' /s 2>/dev/null | tr -d '\r' |
        grep -v -e '^HKEY_CURRENT_USER\\Software\\Microsoft\\Installer' \
            -e '^HKEY_CURRENT_USER\\Software\\Wine' | grep '^HKEY' || true
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | grep '^HKEY' || true
}
# The Installed apps entries named Tallix, one line each: key and version. Windows keeps a per-user installation's under HKCU, Wine under HKLM.
installed() {
    local key root
    for root in HKCU HKLM; do
        wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" 2>/dev/null |
            tr -d '\r' | grep '^HKEY' || true
    done | while read -r key; do
        [ "$(value "$key" DisplayName)" = Tallix ] || continue
        echo "$key $(value "$key" DisplayVersion)"
    done
}

# A run that ended half-way leaves nothing behind for this one.
wine msiexec /x "$msi" /qn 2>/dev/null || true
wine msiexec /x "$older_msi" /qn 2>/dev/null || true
[ -z "$(installed)" ] || fail "a Tallix is installed before the test: $(installed)"

profile=$(wine cmd /c echo '%USERPROFILE%' | tr -d '\r')
unix_profile=$(winepath -u "$profile")
# Windows' Send to folder is never empty; Wine's starts so, and Wine's
# Windows Installer would take it away with the last shortcut in it.
touch "$unix_profile/AppData/Roaming/Microsoft/Windows/SendTo/Desktop (create shortcut).DeskLink"
before=$(snapshot)

msiexec /i "$older_msi"
expect "older version installed" 0.9.0 "$(installed | cut -d' ' -f2)"
# Double-clicked, the installer shows its start page, its progress and the
# page that ends it; Enter presses Install on the first and Finish on the
# last.
wine msiexec /i "$msi" >/dev/null 2>&1 &
installer=$!
wait_for_page "Tallix Setup" || fail "no start page"
xdotool key Return
wait_for_page "Tallix Setup: finished" || fail "no finish page"
xdotool key Return
wait "$installer" || fail "msiexec /i $msi through its pages: status $?"
echo "ok: installed through its start, progress and finish pages"
expect "one version installed after the upgrade" 1 "$(installed | wc -l)"
read -r uninstall_key installed_version <<<"$(installed)"
expect "its version" "$version" "$installed_version"
product=${uninstall_key##*\\}
expect "publisher" "The Tallix developers" "$(value "$uninstall_key" Publisher)"
expect "uninstall command" "MsiExec.exe /X$product" "$(value "$uninstall_key" UninstallString)"

install_dir="$profile\\AppData\\Local\\Programs\\Tallix"
unix_install_dir=$(winepath -u "$install_dir")
expect "installed files" "LICENSE.txt README.ja.txt README.txt tallix-report.exe tallix.exe" \
    "$(ls "$unix_install_dir" | tr '\n' ' ' | sed 's/ $//')"
expect "install location" "$install_dir\\" "$(value "$uninstall_key" InstallLocation)"
# What Explorer's Properties and views show of each program.
for program in tallix.exe tallix-report.exe; do
    expect "$program's version and icon" "Tallix $version icons 1" \
        "$(probe resources "$install_dir\\$program")"
done
for link in "Start Menu/Programs/Tallix.lnk" "SendTo/Tallix.lnk"; do
    shortcut="$unix_profile/AppData/Roaming/Microsoft/Windows/$link"
    [ -f "$shortcut" ] || fail "no shortcut $link"
    grep -aqF "$install_dir\\tallix.exe" "$shortcut" || fail "$link does not start tallix.exe"
    echo "ok: $link starts tallix.exe"
done
# The product icon of Installed apps, kept by Windows Installer.
[ -s "$unix_profile/AppData/Roaming/Microsoft/Installer/$product/tallix.ico" ] ||
    fail "no product icon"
for class in '*' Directory; do
    key="HKCU\\Software\\Classes\\$class\\shell\\Tallix"
    expect "$class verb's name" Tallix "$(value "$key")"
    expect "$class verb's command" "\"$install_dir\\tallix.exe\" \"%1\"" "$(value "$key\\command")"
done
expect "installed tallix-report.exe" "CBF43926 6F91 9 -" \
    "$(printf 123456789 | wine "$install_dir\\tallix-report.exe" --brief - | tr -d '\r')"

# The verbs' command lines, run on a file whose name has spaces and
# katakana, and on a folder.
folder="$work/フォルダ with spaces"
mkdir -p "$folder/sub/inner"
file_name='カタカナ and spaces.txt'
printf 123456789 >"$folder/$file_name"
start_verb() {  # start_verb <class> <unix path>
    # To a file: the window started would keep a pipe open.
    wine "$probe" verb "$1" "$(winepath -w "$2")" >"$work/verb" || fail "no $1 verb to start"
    tr -d '\r' <"$work/verb"
    probe wait || fail "no window after the $1 verb"
    sleep 1
}
close_window() {
    probe close
    for _ in $(seq 50); do
        probe client >/dev/null || return 0
        sleep 0.2
    done
    fail "the window stayed open"
}
start_verb '*' "$folder/$file_name"
report=$(probe label)
echo "$report"
expect "reported file" "$file_name(9バイト)" "$(sed -n 1p <<<"$report" | sed 's/.*\\//')"
expect "its CRC-32" "CRC32 - CBF43926" "$(sed -n 2p <<<"$report")"
expect "its file highlighted" "$file_name" "$(probe selected)"
close_window
start_verb Directory "$folder/sub"
# Opened on sub, not on the folder it was started in: sub, then inner.
expect "folder opened" "sub inner" "$(probe dirs | tail -n 2 | sed 's/^ *//' | tr '\n' ' ' | sed 's/ $//')"
close_window
# A drive's root, "%1" being Z:\ before the closing quote.
start_verb Directory /
expect "drive root opened" 'Z:\' "$(probe dirs | head -n 1)"
close_window

msiexec /x "$msi"
expect "installed after uninstalling" "" "$(installed)"
after=$(snapshot)
[ "$before" = "$after" ] || fail "left behind or taken away: $(diff <(echo "$before") <(echo "$after"))"
echo "ok: nothing left after uninstalling"
