#!/usr/bin/env bash
# Writes the help's translators' template: the text of every page in the
# help project, and the names its contents and index show (Help/help.its
# says what is translated).
#   Help/po/extract.sh OUT.pot
# After a change of the pages: Help/po/extract.sh Help/po/ovcalculator-help.pot,
# then msgmerge --update Help/po/<lang>.po Help/po/ovcalculator-help.pot.
set -euo pipefail
out=$(realpath -m "$1")
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The pages in the project's order, after the contents and the index.
pages=$(sed -n '/^\[FILES\]/,$p' ovCalculator.hhp | grep '\.html$' | tr -d '\r')
# shellcheck disable=SC2086
itstool -i help.its -o "$work/help.pot" ovCalculator.hhc ovCalculator.hhk $pages
# No creation date: a template that did not change stays byte for byte.
sed -e '/^"POT-Creation-Date:/d' \
    -e 's/^"Project-Id-Version: PACKAGE VERSION\\n"/"Project-Id-Version: Orvandale Calculator Help\\n"/' \
    "$work/help.pot" >"$out"
