#!/usr/bin/env bash
# Fails when an option that PROGRAM --help shows is missing from its manual
# page, so that the two cannot drift apart.
#   man-lists-options.sh PROGRAM MANPAGE
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 PROGRAM MANPAGE" >&2
    exit 2
fi
# The options of the help's option column ("  -r, --recursive ..."), and
# every long option its text names.
options=$("$1" --help | grep -oE -- '(^  |, )-[a-z0-9]\b|--[a-z0-9][a-z0-9-]*' | sed 's/^, //; s/^ *//' |
    sort -u)
[ -n "$options" ] || { echo "no options in $1 --help" >&2; exit 1; }
# roff writes a hyphen of an option as \-.
page=$(sed 's/\\-/-/g' "$2")
missing=0
for option in $options; do
    if ! grep -qE -- "(^|[^a-z0-9-])$option([^a-z0-9-]|$)" <<<"$page"; then
        echo "$2 does not mention $option" >&2
        missing=1
    fi
done
exit "$missing"
