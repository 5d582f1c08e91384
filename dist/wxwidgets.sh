#!/usr/bin/env bash
# Builds wxWidgets (static: base, core and html) from Debian's own
# wxwidgets3.2 source package and prints the prefix it is installed in.
#   dist/wxwidgets.sh gtk       for this system, on GTK 3
#   dist/wxwidgets.sh windows   for Windows, with MinGW-w64 (x86-64)
# Linked statically, the program is spared resolving tens of thousands of
# the shared library's symbols every time it starts.
# The build is cached outside the checkout, keyed by the source version, the
# configure line and the compiler, so only the first run pays for it (about
# 20 minutes on two cores); later runs find it in place.
#   OV_WX_CACHE  where the caches live (default ~/.cache); each target has
#                its own folder in it, ovcalculator-gtk and ovcalculator-windows
set -euo pipefail

target=${1:-}
say() { echo "wxwidgets.sh: $*" >&2; }

# What neither program uses stays out: images other than XPM (and PNG on
# GTK), XML, networking, the web view, media and the larger controls.
case "$target" in
    gtk)
        configure_line=(--with-gtk=3 --disable-shared --without-opengl --with-zlib=sys
            --with-libpng=sys --without-libjpeg --without-libtiff --without-expat
            --without-liblzma --without-libcurl --without-libnotify --without-libmspack
            --without-sdl --disable-mediactrl --disable-webview --disable-xrc --disable-aui
            --disable-ribbon --disable-propgrid --disable-richtext --disable-stc
            --disable-debugreport --disable-sockets --disable-webrequest --disable-fs_inet
            --disable-tests --disable-svg)
        # Sections of their own let the program's link drop what it never calls.
        flags="-O2 -g0 -ffunction-sections -fdata-sections"
        toolchain=("CXXFLAGS=$flags" "CFLAGS=$flags")
        compiler=g++
        ;;
    windows)
        host=x86_64-w64-mingw32
        configure_line=(--host=$host --build=x86_64-linux-gnu --with-msw --disable-shared
            --without-opengl --with-zlib=sys --without-libpng --without-libjpeg
            --without-libtiff --without-expat --without-liblzma --without-libcurl
            --without-regex --disable-svg --disable-xrc --disable-aui --disable-ribbon
            --disable-propgrid --disable-richtext --disable-stc --disable-mediactrl
            --disable-webview --disable-debugreport --disable-sockets
            --disable-webrequest --disable-fs_inet --disable-tests)
        toolchain=(CC=$host-gcc-posix CXX=$host-g++-posix)
        compiler=$host-g++-posix
        ;;
    *)
        echo "usage: $0 gtk|windows" >&2
        exit 2
        ;;
esac
cache=${OV_WX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}}/ovcalculator-$target

# Source lines for apt-get source, when the system has none yet.
ensure_deb_src() {
    apt-cache showsrc wxwidgets3.2 2>/dev/null | grep -q '^Version:' && return 0
    say "adding Debian's source packages to apt (deb-src)"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" tee /etc/apt/sources.list.d/ovcalculator-deb-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    "${sudo[@]}" apt-get update -qq
}

ensure_deb_src
version=$(apt-cache showsrc wxwidgets3.2 | sed -n 's/^Version: //p' | sort -V | tail -1)
key=$(printf '%s\n' "$version" "${configure_line[*]}" "${toolchain[*]}" \
    "$($compiler -dumpfullversion)" | sha256sum | cut -c1-16)
prefix=$cache/wx-$key
if [ -x "$prefix/bin/wx-config" ]; then
    say "using the cached build of wxWidgets $version ($prefix)"
    echo "$prefix"
    exit 0
fi

say "building wxWidgets $version ($target) into $prefix (about 20 minutes on two cores)"
work=$(mktemp -d "${TMPDIR:-/tmp}/ov-wx.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq --download-only "wxwidgets3.2=$version" >/dev/null &&
    dpkg-source -x --no-check ./*.dsc src >/dev/null)
mkdir -p "$work/build" "$cache"
(cd "$work/build" &&
    ../src/configure --prefix="$prefix.partial" "${configure_line[@]}" "${toolchain[@]}" >configure.log 2>&1 ||
    { tail -40 configure.log >&2; exit 1; })
make -C "$work/build" -j"$(nproc)" >"$work/build/make.log" 2>&1 ||
    { tail -40 "$work/build/make.log" >&2; exit 1; }
rm -rf "$prefix.partial"
make -C "$work/build" install >/dev/null
# wx-config knows its prefix; move the finished tree into place in one step.
sed -i "s|$prefix.partial|$prefix|g" "$prefix.partial/bin/wx-config" \
    "$prefix.partial"/lib/wx/config/* 2>/dev/null || true
mv "$prefix.partial" "$prefix"
echo "$prefix"
