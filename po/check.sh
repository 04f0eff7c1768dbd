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
done
exit $status
