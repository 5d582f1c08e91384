#!/usr/bin/env bash
# Writes the translators' template: every text of the window (marked _(),
# wxTRANSLATE, wxPLURAL, or OV_MESSAGE for the engine's messages that the
# window shows), the desktop entry's and the AppStream metadata's.
#   po/extract.sh OUT.pot
# After a change of texts: po/extract.sh po/ovcalculator.pot, then
# msgmerge --update po/<lang>.po po/ovcalculator.pot for each language.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Sorted, relative names: the template is the same wherever it is made.
git_free_sources=$(ls ui/*.cpp ui/*.h app/*.cpp platform/HelpViewer.cpp engine/EquationEngine.h engine/BaseConversion.h | sort)
# shellcheck disable=SC2086
xgettext --from-code=UTF-8 --language=C++ --c++ --sort-by-file --add-comments=TRANSLATORS: \
    --add-location=file --keyword=_ --keyword=wxTRANSLATE --keyword=wxPLURAL:1,2 --keyword=OV_MESSAGE \
    --flag=wxPLURAL:1:c-format --flag=wxPLURAL:2:c-format \
    --package-name="Orvandale Calculator" --msgid-bugs-address=packages@orvandale.example \
    --output="$work/code.pot" $git_free_sources
# The desktop entry's Name is the product's, the same in every language.
xgettext --from-code=UTF-8 --add-location=file --language=Desktop -k -kGenericName -kComment -kKeywords \
    --output="$work/desktop.pot" dist/app.desktop.in
xgettext --from-code=UTF-8 --add-location=file --its=/usr/share/gettext/its/metainfo.its --output="$work/metainfo.pot" dist/metainfo.xml.in
msgcat --use-first --sort-by-file "$work/code.pot" "$work/desktop.pot" "$work/metainfo.pot" >"$work/all.pot"
# No creation date: a template that did not change stays byte for byte.
sed -e '/^"POT-Creation-Date:/d' -e 's/charset=CHARSET/charset=UTF-8/' "$work/all.pot" >"$out"
