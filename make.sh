#!/usr/bin/env bash
# Builds Orvandale Calculator, installing the Debian packages it needs first.
#   ./make.sh run    build and start the calculator
#   ./make.sh test   build and run every test (unit, window, sanitizer, fuzzer)
#   ./make.sh build  only build
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake make g++ pkg-config libgtest-dev libbenchmark-dev nlohmann-json3-dev libwxgtk3.2-dev libgtk-3-dev)
test_packages=(xvfb xauth xdotool clang libclang-rt-14-dev desktop-file-utils)

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$jobs"
}

# The engine tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then a short libFuzzer run over the equation engine.
sanitizer_tests() {
    cmake -S . -B build-san -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DOV_SANITIZE=ON -DOV_FUZZ=ON -DOV_GUI=OFF -DOV_BENCH=OFF >/dev/null
    cmake --build build-san -j"$jobs"
    ctest --test-dir build-san --output-on-failure -j"$jobs"
    if [ -x build-san/bin/equation_fuzzer ]; then
        mkdir -p build-san/fuzz-corpus
        build-san/bin/equation_fuzzer -max_total_time="${OV_FUZZ_SECONDS:-45}" -timeout=30 \
            -rss_limit_mb=4096 -artifact_prefix=build-san/ build-san/fuzz-corpus fuzz/seeds
    fi
}

case "${1:-run}" in
    run)
        install_missing "${packages[@]}"
        build
        if [ -x build/bin/ovCalculator ]; then exec build/bin/ovCalculator; fi
        echo "Built: $(ls build/bin)"
        ;;
    build)
        install_missing "${packages[@]}"
        build
        ;;
    test)
        install_missing "${packages[@]}" "${test_packages[@]}"
        build
        sanitizer_tests
        # The window tests need a display; the last summary covers every test of the main build.
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j"$jobs"
        ;;
    *)
        echo "usage: $0 [run|test|build]" >&2
        exit 2
        ;;
esac
