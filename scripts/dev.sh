#!/usr/bin/env bash
# Installs what is missing, builds, then runs the program or the tests.
#   scripts/dev.sh run    build and start the program on the current directory
#   scripts/dev.sh test   build and run every test
#   scripts/dev.sh fuzz   build the fuzz targets (CRC kernels, list reader and name
#                         escaping) with clang and run each briefly
#   scripts/dev.sh bench  build and run the benchmarks (docs/performance.md)
#   scripts/dev.sh scenarios [small|dir|idle|all]  build the two programs and
#                         time them as processes where users wait (bench/scenarios.sh)
#   scripts/dev.sh package  build the Debian package into $BUILD_DIR/package
#   scripts/dev.sh windows  cross-build the Windows programs and their installer
#                         into build-windows (WINDOWS_BUILD_DIR), run their tests
#                         under Wine and make the portable zip
#   scripts/dev.sh deps [SET...]  only install what is missing of the package sets
#                         named: build (the default), fuzz, bench, scenarios,
#                         windows, format
#   scripts/dev.sh format-check  fail on a tracked C++ file that clang-format
#                         (.clang-format) would change
# Optional: BUILD_DIR (default build), CMAKE_ARGS (extra configure flags),
# JOBS (compile and test jobs at once; default the number of processors).
# `run` and `test` build for checking (-O1, see CMakeLists.txt); `bench`,
# `scenarios`, `package` and `windows` build fully optimised (Release).
set -euo pipefail

# The program started by `run` opens where the user stands, not here.
caller_dir=$PWD
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}

# Build tools and test framework; Qt Widgets for the window; Xvfb, xauth,
# xdotool and ImageMagick for the smoke test that runs the real window, and
# openbox for it to run under a window manager too; a Japanese font for the
# katakana in the title and the report.
PACKAGES=(cmake ninja-build g++ libgtest-dev qt6-base-dev
    xvfb xauth xdotool imagemagick fonts-ipafont-gothic openbox)
# Validators for the desktop entry, the AppStream metainfo and the Debian
# package, and the tool that reads the package's library dependencies off
# the binaries.
PACKAGES+=(desktop-file-utils appstream lintian dpkg-dev)
# Two other SFV tools, whose lists tallix-report --check must read and which
# must read the lists tallix-report --sfv writes.
PACKAGES+=(cksfv rhash)
# The messages in other languages: gettext's tools to extract and compile
# the catalogues, Qt's own translations, and the Japanese locale the tests
# run in (made from the locales package's definitions).
PACKAGES+=(gettext qt6-translations-l10n locales)
# Only for `fuzz` (libFuzzer comes with clang's runtime) and `bench` (the
# public CRC code the kernels are measured against, and the X library the
# window is timed with); never linked into the program.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
SCENARIO_PACKAGES=(python3-xlib)
BENCH_PACKAGES=(libbenchmark-dev libisal-dev libboost-dev zlib1g-dev pkg-config
    "${SCENARIO_PACKAGES[@]}")

# Only for `windows`: the MinGW-w64 cross compiler (its POSIX-threads
# variant), Wine to run the tests, and GoogleTest's sources, which are
# compiled with the cross compiler; librsvg and ImageMagick to draw
# tallix.exe's icon; Xvfb, xdotool, ImageMagick and a Japanese font for the
# tests that run the window; wixl and msitools (msibuild, for its pages) to
# build the installer; msgfmt to compile the catalogues the programs carry.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest
    librsvg2-bin imagemagick xvfb xauth xdotool fonts-ipafont-gothic wixl msitools gettext)
# Only for `format-check`: Debian's clang-format, the version the tree is
# formatted with.
FORMAT_PACKAGES=(clang-format)

# The packages of one set named in the usage above.
packages_of() {
    case "$1" in
        build) echo "${PACKAGES[@]}" ;;
        fuzz) echo "${FUZZ_PACKAGES[@]}" ;;
        bench) echo "${PACKAGES[@]}" "${BENCH_PACKAGES[@]}" ;;
        scenarios) echo "${PACKAGES[@]}" "${SCENARIO_PACKAGES[@]}" ;;
        windows) echo "${WINDOWS_PACKAGES[@]}" ;;
        format) echo "${FORMAT_PACKAGES[@]}" ;;
        *)
            echo "$0: no package set '$1' (build, fuzz, bench, scenarios, windows, format)" >&2
            exit 2
            ;;
    esac
}

# Installs what is missing of the package sets named.
install_missing_packages() {
    local wanted=() missing=()
    local set packages
    for set in "$@"; do
        packages=$(packages_of "$set")
        # shellcheck disable=SC2206
        wanted+=($packages)
    done
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}

# Configures $BUILD_DIR (with the extra flags given, then CMAKE_ARGS) and
# builds it.
build() {
    # shellcheck disable=SC2086
    cmake -S . -B "$BUILD_DIR" -G Ninja "$@" ${CMAKE_ARGS:-}
    cmake --build "$BUILD_DIR" -j "$JOBS"
}

# The artefacts people run and measure are fully optimised.
RELEASE=-DCMAKE_BUILD_TYPE=Release

case "${1:-}" in
    run)
        install_missing_packages build
        build
        program=$(realpath "$BUILD_DIR/platform/app/tallix")
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "Built $program, but there is no display to open its window on"
            echo "(neither DISPLAY nor WAYLAND_DISPLAY is set)."
            echo "To run it in a virtual X server instead:"
            echo "    xvfb-run -a $program"
            exit 1
        fi
        cd "$caller_dir"
        exec "$program"
        ;;
    test)
        install_missing_packages build
        build
        ctest --test-dir "$BUILD_DIR" -j "$JOBS" --output-on-failure
        ;;
    fuzz)
        install_missing_packages build fuzz
        CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR-fuzz" -G Ninja \
            -DTALLIX_FUZZ=ON -DTALLIX_BUILD_TESTS=OFF
        cmake --build "$BUILD_DIR-fuzz" -j "$JOBS" --target crc_fuzz list_fuzz
        "$BUILD_DIR-fuzz/checksum/fuzz/crc_fuzz" -max_total_time="${FUZZ_SECONDS:-20}" \
            -max_len=4096 -print_final_stats=1
        "$BUILD_DIR-fuzz/cli/fuzz/list_fuzz" -max_total_time="${FUZZ_SECONDS:-20}" \
            -max_len=4096 -timeout=10 -print_final_stats=1
        ;;
    bench)
        install_missing_packages bench
        build "$RELEASE" -DTALLIX_BENCH=ON
        bench/run.sh "$BUILD_DIR"
        ;;
    scenarios)
        install_missing_packages scenarios
        # shellcheck disable=SC2086
        cmake -S . -B "$BUILD_DIR" -G Ninja "$RELEASE" ${CMAKE_ARGS:-}
        cmake --build "$BUILD_DIR" -j "$JOBS" --target tallix tallix-report
        shift
        bench/scenarios.sh "$BUILD_DIR" "$@"
        ;;
    package)
        install_missing_packages build
        build "$RELEASE"
        cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$BUILD_DIR/package"
        ;;
    windows)
        install_missing_packages windows
        windows_build=${WINDOWS_BUILD_DIR:-build-windows}
        # Wine keeps its Windows installation in a prefix of its own,
        # created once, quietly and without a display: the tests are
        # console programs.
        export WINEPREFIX=${WINEPREFIX:-$PWD/$windows_build/wine}
        export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            mkdir -p "$WINEPREFIX"
            DISPLAY='' wineboot -i >/dev/null 2>&1
            wineserver -w
        fi
        # shellcheck disable=SC2086
        cmake -S . -B "$windows_build" -G Ninja "$RELEASE" \
            -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake ${CMAKE_ARGS:-}
        cmake --build "$windows_build" -j "$JOBS"
        DISPLAY='' ctest --test-dir "$windows_build" -j "$JOBS" --output-on-failure
        # The same reports as the Linux build, when there is one to compare with.
        if [ -x "$BUILD_DIR/cli/tallix-report" ]; then
            DISPLAY='' tests/windows/same_report.sh "$BUILD_DIR/cli/tallix-report" \
                "$windows_build/cli/tallix-report.exe"
        else
            echo "No $BUILD_DIR/cli/tallix-report to compare tallix-report.exe with;" \
                "run scripts/dev.sh test first."
        fi
        cpack --config "$windows_build/CPackConfig.cmake" -B "$windows_build/package"
        ;;
    deps)
        shift
        install_missing_packages "${@:-build}"
        ;;
    format-check)
        install_missing_packages format
        git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
        ;;
    *)
        echo "usage: $0 run|test|fuzz|bench|scenarios|package|windows|deps|format-check" >&2
        exit 2
        ;;
esac
