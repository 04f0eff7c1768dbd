# Sourced by the tests that drive tallix.exe's window under Wine and Xvfb,
# which take <tallix.exe> <window_probe.exe> <screenshot prefix> <wine prefix>:
# reruns the test inside a Wine desktop of its own (skipped, 77, without
# xdotool or ImageMagick), and gives it `fail`, which saves a screenshot,
# and `probe`, which asks window_probe.exe.
tallix=$1
probe=$2
screenshots=$3
prefix=$4

if [ -z "${TALLIX_IN_XVFB:-}" ]; then
    for tool in xdotool import; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
    exec "$(dirname "$0")/wine_desktop.sh" "$prefix" --command "$0" "$@"
fi

fail() {
    echo "FAILED: $*"
    import -window root "$screenshots-failure.png" || true
    exit 1
}
probe() { wine "$probe" "$@" | tr -d '\r'; }
