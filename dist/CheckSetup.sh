#!/usr/bin/env bash
# CheckSetup.sh SOURCE_DIR
# make.sh run by a user who is neither root nor able to use sudo, on a machine
# that lacks packages: it must name them and the one command that installs
# them, run no apt-get, and exit with status 3.
set -u
source=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
for tool in bash env grep dirname id nproc cat; do
    ln -s "$(command -v "$tool")" "$scratch/bin/$tool"
done
printf '#!/bin/sh\nexit 1\n' >"$scratch/bin/dpkg-query" # nothing is installed
printf '#!/bin/sh\necho "apt-get ran" >&2\nexit 99\n' >"$scratch/bin/apt-get"
chmod +x "$scratch/bin/dpkg-query" "$scratch/bin/apt-get"
cp "$source/make.sh" "$scratch/make.sh"
chmod -R a+rX "$scratch"

as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
output=$("${as_user[@]}" env -i PATH="$scratch/bin" HOME=/nonexistent bash "$scratch/make.sh" run 2>&1)
status=$?

fail() {
    echo "$1 (status $status):"
    echo "$output"
    exit 1
}
[ "$status" -eq 3 ] || fail "expected status 3"
case "$output" in *"apt-get ran"*) fail "apt-get must not run without root" ;; esac
grep -q "^make.sh: missing Debian packages: cmake .*libgtk-3-dev" <<<"$output" || fail "no list of packages"
grep -q "not root and sudo is not installed" <<<"$output" || fail "no reason"
grep -q "^  apt-get update && apt-get install -y --no-install-recommends cmake " <<<"$output" ||
    fail "no command that installs them"
exit 0
