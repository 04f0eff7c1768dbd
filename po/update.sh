#!/usr/bin/env bash
# Takes every message marked with Tr, TrCount or TrLater in the sources into
# the template tallix.pot, then merges it into each language's .po (new
# messages untranslated, changed ones fuzzy, for the translator to see).
#   po/update.sh           update tallix.pot and every .po
#   po/update.sh OUT.pot   only write the template extracted now to OUT.pot
set -euo pipefail
cd "$(dirname "$0")/.."
template=${1:-po/tallix.pot}

# The sources people's messages come from, tests left out, in a fixed
# order; a message's place is its file alone, not its line, so the template
# changes only when a message does, not when code around it moves.
mapfile -t sources < <(find cli platform window -name '*.cpp' -o -name '*.h' |
    grep -v -e '_test\.' -e '/fuzz/' | LC_ALL=C sort)
xgettext --from-code=UTF-8 --language=C++ --keyword --keyword=Tr --keyword=TrCount:1,2 \
    --keyword=TrLater --add-comments=Translators: --sort-by-file --no-wrap --add-location=file \
    --package-name=tallix --msgid-bugs-address=maintainers@tallix.invalid \
    --omit-header -o "$template" "${sources[@]}"
# The header every .po starts from, without a date that would change the
# template on every run.
header='msgid ""
msgstr ""
"Project-Id-Version: tallix\n"
"Report-Msgid-Bugs-To: maintainers@tallix.invalid\n"
"Language: \n"
"MIME-Version: 1.0\n"
"Content-Type: text/plain; charset=UTF-8\n"
"Content-Transfer-Encoding: 8bit\n"
"Plural-Forms: nplurals=2; plural=(n != 1);\n"
'
{ printf '%s\n' "$header"; cat "$template"; } >"$template.new"
mv "$template.new" "$template"
[ $# -eq 0 ] || exit 0
for po in po/*.po; do
    [ -e "$po" ] || continue
    msgmerge --quiet --update --backup=none --no-wrap --sort-by-file --add-location=file "$po" "$template"
done
