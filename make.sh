#!/usr/bin/env bash
# Builds Orvandale Calculator, installing the Debian packages it needs first.
#   ./make.sh run    build what running needs (the calculator, its help, ovcalc) and start it
#   ./make.sh test   build everything and run every test (unit, window, sanitizer, fuzzer, package)
#   ./make.sh build  build everything the installed packages allow, start nothing
#   ./make.sh package  build what users install, linked as it ships: the .deb
#                    (build-pkg/) and the Windows installer and zip (build-win/,
#                    with their tests under Wine)
#   ./make.sh check-package  install build-pkg/'s .deb with apt, run ovcalc and
#                    the window from the installed files, and remove it again
#   ./make.sh windows  the Windows half of package alone
#   ./make.sh format   check that the sources are laid out as .clang-format says
# run, build and test use Debian's own wxWidgets (libwxgtk3.2-dev): a few
# minutes on a fresh machine. package links wxWidgets statically, built once
# from Debian's source package and cached (about 13 minutes the first time).
# Exit status: that of the failing step; 2 for a bad command, 3 when Debian
# packages are missing and cannot be installed from here (the message says
# which, and the command that installs them).
set -euo pipefail
cd "$(dirname "$0")"

# Building and running, on Debian's shared wxWidgets.
packages=(cmake make g++ pkg-config nlohmann-json3-dev libwxgtk3.2-dev libgtk-3-dev libfontconfig-dev
    fonts-liberation gettext itstool appstream wx3.2-i18n)
# The packages' static build: wxWidgets from Debian's source package (dpkg-dev
# unpacks it) and what it is built with; checking the .deb starts the window.
package_packages=(cmake make g++ pkg-config nlohmann-json3-dev libgtk-3-dev libfontconfig-dev libpng-dev
    zlib1g-dev libsm-dev libxtst-dev dpkg-dev fakeroot file xvfb xauth xdotool openbox gettext itstool appstream)
# The tests and benchmarks: libraries, a virtual display with a window manager
# and the accessibility bus for the window tests, screenshots, the sanitizer
# and fuzzer runtime, the tools that build and check the .deb package and
# its metadata, and a headless Wayland compositor with its tools.
test_packages=(libgtest-dev libbenchmark-dev
    xvfb xauth xdotool xclip openbox imagemagick
    python3-pyatspi at-spi2-core dbus-daemon
    clang libclang-rt-14-dev
    desktop-file-utils appstream dpkg-dev file
    sway grim wl-clipboard wtype x11-utils)

# The Windows build: the MinGW-w64 cross compilers and resource compiler,
# zlib for them, Wine to run the tests, NSIS for the installer, and what
# building wxWidgets for Windows from Debian's source package needs.
windows_packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
    wine wine64 nsis dpkg-dev xvfb xauth openbox imagemagick googletest nlohmann-json3-dev gettext itstool wx3.2-i18n)

say() { echo "make.sh: $*"; }

# cannot_install REASON PACKAGE...
cannot_install() {
    {
        say "missing Debian packages: ${*:2}"
        say "$1"
        echo "Install them as root, then run $0 again:"
        echo "  apt-get update && apt-get install -y --no-install-recommends ${*:2}"
    } >&2
    exit 3
}

install_missing() {
    if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
        echo "make.sh: this needs Debian 12 (dpkg-query and apt-get); install by hand: $*" >&2
        exit 3
    fi
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null ||
            cannot_install "you are not root and sudo is not installed." "${missing[@]}"
        sudo=(sudo)
    fi
    say "installing Debian packages: ${missing[*]}"
    if ! "${sudo[@]}" apt-get update -qq ||
        ! "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
        cannot_install "apt-get failed (see above)." "${missing[@]}"
    fi
}

jobs=$(nproc 2>/dev/null || echo 2)
# CI sets OV_WARNINGS_AS_ERRORS=ON: a warning then fails the build.
werror=${OV_WARNINGS_AS_ERRORS:-OFF}
# The configure lines are CMakePresets.json's; they read these two.
export OV_WARNINGS_AS_ERRORS=$werror OV_WX_CONFIG=

# Debian's shared wxWidgets, named explicitly: a build/ configured before
# against another wxWidgets would otherwise keep that one.
configure() {
    local wx_config
    wx_config=$(command -v wx-config) || {
        say "wx-config is missing: is libwxgtk3.2-dev installed?" >&2
        exit 3
    }
    say "configuring build/ (Debian's wxWidgets $("$wx_config" --version))"
    OV_WX_CONFIG=$wx_config cmake --preset default >/dev/null
}

# The .deb as it ships: wxWidgets linked statically, since a program on
# Debian's shared libraries spends about 20 ms of every start resolving
# their symbols. Built once, then cached (dist/wxwidgets.sh).
package_deb() {
    local started wx_prefix
    started=$(date +%s)
    wx_prefix=$(dist/wxwidgets.sh gtk)
    say "static wxWidgets ready after $(since "$started") s"
    say "configuring build-pkg/"
    OV_WX_CONFIG=$wx_prefix/bin/wx-config cmake --preset package >/dev/null
    say "building the programs, help and icons (build-pkg)"
    cmake --build build-pkg -j"$jobs"
    rm -f build-pkg/ovcalculator_*.deb
    (cd build-pkg && cpack -G DEB >/dev/null)
    say "built in $(since "$started") s:"
    ls -l build-pkg/ovcalculator_*.deb
}

# Installs the .deb as a user would, runs both programs from the installed
# files, and removes it.
check_package() {
    local deb sudo=()
    deb=$(ls build-pkg/ovcalculator_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || { say "no build-pkg/ovcalculator_*.deb: run $0 package first" >&2; exit 2; }
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    say "installing $deb with apt"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$PWD/$deb"
    local status=0
    local answer
    answer=$(/usr/bin/ovcalc '2^10+(1+2)*3' | head -n 1) || status=$?
    if [ "$answer" != "Decimal: 1033" ]; then
        say "installed ovcalc answered '$answer' for 2^10+(1+2)*3, not 1033" >&2
        status=1
    fi
    # The window, started as the desktop entry starts it, must show up.
    if ! xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
        'source tests/support/window.sh
         start_window_manager && start_window "Orvandale Calculator" env HOME="$(mktemp -d)" /usr/bin/ovCalculator
         s=$?; kill "${window_pid:-}" "$window_manager" 2>/dev/null; exit $s'; then
        say "the installed ovCalculator showed no window within 30 s" >&2
        status=1
    fi
    say "removing the package"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq ovcalculator
    if [ -e /usr/bin/ovCalculator ] || [ -e /usr/lib/ovCalculator ]; then
        say "removing the package left files behind" >&2
        status=1
    fi
    [ "$status" -eq 0 ] && say "the package installs, runs and removes cleanly"
    return "$status"
}

# Only what running needs: a few minutes on a fresh 2-core machine.
build_program() {
    configure
    say "building the calculator, its help and ovcalc (build/bin)"
    cmake --build build -j"$jobs" --target ovCalculator ovcalc ov_help
}

build_all() {
    configure
    say "building everything: programs, tests, benchmarks"
    cmake --build build -j"$jobs"
}

# The engine tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then a short libFuzzer run over the equation engine, then under
# ThreadSanitizer.
sanitizer_tests() {
    say "sanitizer build (build-san) and its tests"
    cmake --preset sanitize >/dev/null
    cmake --build build-san -j"$jobs"
    ctest --test-dir build-san --output-on-failure --no-tests=error -j"$jobs"
    if [ -x build-san/bin/equation_fuzzer ]; then
        say "fuzzing the engine for ${OV_FUZZ_SECONDS:-45} s"
        mkdir -p build-san/fuzz-corpus
        build-san/bin/equation_fuzzer -max_total_time="${OV_FUZZ_SECONDS:-45}" -timeout=30 \
            -rss_limit_mb=4096 -artifact_prefix=build-san/ build-san/fuzz-corpus fuzz/seeds
    fi
    # Engines on several threads: the engine tests under ThreadSanitizer.
    say "ThreadSanitizer build (build-tsan) and the engine tests"
    cmake --preset threads >/dev/null
    cmake --build build-tsan -j"$jobs" --target engine_tests
    ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L engine --no-tests=error
}

# Seconds since $1 (from date +%s).
since() { echo $(($(date +%s) - $1)); }

windows() {
    local started wx_prefix deps
    started=$(date +%s)
    wx_prefix=$(dist/wxwidgets.sh windows)
    say "wxWidgets for Windows ready after $(since "$started") s"

    # nlohmann-json is header-only; a prefix of its own keeps /usr/include
    # out of the cross build.
    deps=build-win/deps/nlohmann_json
    mkdir -p "$deps/include" "$deps/share/cmake"
    cp -r /usr/include/nlohmann "$deps/include/"
    cp -r /usr/share/cmake/nlohmann_json "$deps/share/cmake/"

    local step
    step=$(date +%s)
    say "configuring build-win/"
    OV_WX_CONFIG=$wx_prefix/bin/wx-config cmake --preset windows >/dev/null
    say "building the Windows programs, tests, zip and installer (build-win)"
    cmake --build build-win -j"$jobs"
    say "built in $(since "$step") s"

    # Wine keeps its Windows in a prefix of the build's own, made afresh; a
    # window manager closes its windows as on a desktop (without one, closing
    # the help window waits for an answer that never comes).
    step=$(date +%s)
    export WINEPREFIX=$PWD/build-win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    rm -rf "$WINEPREFIX"
    say "every test of build-win/, under Wine"
    local status=0
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
        'source tests/support/window.sh
         start_window_manager || exit 1
         wineboot -i >/dev/null 2>&1; wineserver -w
         # Wine now and then fails to start a program it has just
         # started many times (no output, status 1): the tests that failed
         # run once more, named, and must pass then.
         ctest --test-dir build-win --output-on-failure --no-tests=error -j"$1" || {
             echo "make.sh: under Wine, once more: $(cut -d: -f2 build-win/Testing/Temporary/LastTestsFailed.log | tr "\n" " ")"
             ctest --test-dir build-win --output-on-failure --rerun-failed -j"$1"; }; s=$?
         wineserver -k; kill $window_manager; exit $s' \
        sh "$jobs" || status=$?
    say "tests ran in $(since "$step") s; all of it took $(since "$started") s"
    ls -l build-win/ovCalculator-*-setup.exe build-win/ovCalculator-*-windows-x64.zip
    return "$status"
}

case "${1:-run}" in
    run)
        install_missing "${packages[@]}"
        build_program
        say "starting build/bin/ovCalculator"
        exec build/bin/ovCalculator
        ;;
    build)
        install_missing "${packages[@]}"
        build_all
        ;;
    test)
        install_missing "${packages[@]}" "${test_packages[@]}"
        build_all
        sanitizer_tests
        # The window tests need a display; the last summary covers every test of the main build.
        say "every test of build/"
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"
        ;;
    package)
        install_missing "${package_packages[@]}" "${windows_packages[@]}"
        package_deb
        windows
        ;;
    check-package)
        install_missing "${package_packages[@]}"
        check_package
        ;;
    windows)
        install_missing "${windows_packages[@]}"
        windows
        ;;
    format)
        # The sources as .clang-format lays them out; the version is fixed,
        # as versions lay code out differently.
        install_missing clang-format-16 git
        say "checking the layout of the sources (.clang-format)"
        git ls-files '*.cpp' '*.h' | xargs clang-format-16 --dry-run -Werror
        ;;
    *)
        echo "usage: $0 [run|test|build|package|check-package|windows|format]" >&2
        exit 2
        ;;
esac
