#!/usr/bin/env bash
# The Windows installer and zip under Wine:
#   CheckInstaller.sh <setup.exe> <zip>
# installs silently, checks what lands where, that the installed programs run
# and that the uninstall entry is there; uninstalls silently and checks that
# nothing of the program is left; unpacks the zip and runs its programs.
# Runs in $WINEPREFIX (Wine's default prefix when unset).
set -euo pipefail
setup=$(realpath "$1")
zip=$(realpath "$2")
export WINEDEBUG=-all
prefix=${WINEPREFIX:-$HOME/.wine}
folder="$prefix/drive_c/Program Files/Orvandale Calculator"
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvandale Calculator.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ovCalculator'
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check_file() { [ -f "$1" ] || fail "missing: ${1#"$prefix/"}"; }

# The result line of ovcalc.exe at the Windows path $1 for 6*7.
check_ovcalc() {
    local out
    out=$(wine "$1" "6*7" | head -1) || true
    [ "$out" = "Decimal: 42" ] || fail "$1 6*7 printed '$out'"
}

wine "$setup" /S
wineserver -w
for file in ovCalculator.exe ovcalc.exe ovCalculator.installed uninstall.exe Help/ovCalculator.htb Help/ovCalculator-ja.htb; do
    check_file "$folder/$file"
done
check_file "$shortcut"
check_ovcalc 'C:\Program Files\Orvandale Calculator\ovcalc.exe'
wine reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "no uninstall entry"

wine 'C:\Program Files\Orvandale Calculator\uninstall.exe' /S
wineserver -w # the uninstaller finishes from a copy of itself
[ ! -e "$folder" ] || fail "left after uninstalling: $(cd "$folder" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start menu entry is left"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is left"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && cmake -E tar xf "$zip")
unpacked=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d)
for file in ovCalculator.exe ovcalc.exe Help/ovCalculator.htb Help/ovCalculator-ja.htb; do
    check_file "$unpacked/$file"
done
[ ! -e "$unpacked/ovCalculator.installed" ] || fail "the zip holds the installed marker"
check_ovcalc "$unpacked/ovcalc.exe"

if [ "$failures" -ne 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "installer and zip: all checks passed"
