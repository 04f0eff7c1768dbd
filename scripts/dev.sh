#!/usr/bin/env bash
# Installs what is missing, builds, then runs the program or the tests.
#   scripts/dev.sh run    build and start the program
#   scripts/dev.sh test   build and run every test
# Optional: BUILD_DIR (default build), CMAKE_ARGS (extra configure flags).
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}

PACKAGES=(cmake ninja-build g++ libgtest-dev)

install_missing_packages() {
    local missing=()
    for package in "${PACKAGES[@]}"; do
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

build() {
    # shellcheck disable=SC2086
    cmake -S . -B "$BUILD_DIR" -G Ninja ${CMAKE_ARGS:-}
    cmake --build "$BUILD_DIR" -j2
}

case "${1:-}" in
    run)
        install_missing_packages
        build
        echo "The engine and platform layer are built; the window does not exist yet."
        ;;
    test)
        install_missing_packages
        build
        ctest --test-dir "$BUILD_DIR" -j2 --output-on-failure
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
