#!/usr/bin/env bash
# Builds the Debian package into OUTPUT_DIR and runs lintian on it; any
# error or warning fails. Exits 77 (skipped) when lintian is not installed.
#   lintian-check.sh CPACK CPACK_CONFIG OUTPUT_DIR
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 CPACK CPACK_CONFIG OUTPUT_DIR" >&2
    exit 2
fi
cpack=$1
config=$2
output=$3

if ! command -v lintian >/dev/null; then
    echo "lintian is not installed; the package is not checked"
    exit 77
fi

# A directory of its own, emptied first, so that the package checked is the
# one just built and no other cpack run shares its staging tree.
rm -rf "$output"
"$cpack" --config "$config" -B "$output"

shopt -s nullglob
packages=("$output"/*.deb)
if [ ${#packages[@]} -ne 1 ]; then
    echo "expected one package in $output, found ${#packages[@]}" >&2
    exit 1
fi
lintian --fail-on error,warning --display-info "${packages[0]}"
