#!/usr/bin/env bash
# Fails when the template differs from the messages marked in the sources
# (one was added, changed or removed without po/update.sh), or when a
# language's .po lacks a translation, holds a fuzzy one, or one msgfmt
# finds wrong.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

po/update.sh "$work/now.pot"
if ! cmp -s "$work/now.pot" po/tallix.pot; then
    echo "po/tallix.pot is not the sources' messages; run po/update.sh:" >&2
    diff -u po/tallix.pot "$work/now.pot" >&2 || true
    exit 1
fi
status=0
for po in po/*.po; do
    [ -e "$po" ] || continue
    # Every message of the template translated, none fuzzy.
    msgcmp "$po" po/tallix.pot || status=1
    msgfmt --check --statistics -o /dev/null "$po" 2>"$work/statistics" || status=1
    cat "$work/statistics"
    if grep -q -e fuzzy -e untranslated "$work/statistics"; then
        echo "$po: translate its fuzzy and untranslated messages" >&2
        status=1
    fi
    # Each translation keeps the {N} the program fills and the %NAME% parts
    # of --help, each as often as the English has it.
    # shellcheck disable=SC2016
    msgexec -i "$po" sh -c '
        marks() { grep -o -e "{[1-9]}" -e "%[A-Z]*%" | sort | tr -d "\n"; }
        [ -z "$MSGEXEC_MSGID" ] || [ "$(printf %s "$MSGEXEC_MSGID" | marks)" = "$(marks)" ] || {
            echo "$MSGEXEC_LOCATION: the translation lost or added a mark of: $MSGEXEC_MSGID" >&2
            exit 1
        }' || status=1
done
exit $status
