#!/usr/bin/env bash
# Opens OrvantaIPConfigurator among emulated GigE Vision cameras in a private test network
# (network namespaces; nothing is sent on this machine's own interfaces). Needs root.
#
#   demo-configurator.sh [--build DIR] [--xvfb] [--screenshot FILE] [--shell]
#
#   --build DIR        build directory holding the configurator and the emulator
#                      (default: build/demo, configured and built when missing)
#   --xvfb             show the window on a virtual display instead of $DISPLAY
#   --screenshot FILE  (implies --xvfb) save a picture of the window once the cameras are
#                      listed and one is selected (needs ImageMagick's import, and xdotool
#                      for the selection), then stop
#   --shell            open a shell in the test network instead of the window, with
#                      orvanta-ipconfig on its PATH; leave it with exit
#
# Without --xvfb the window opens on $DISPLAY, which must be a local display such as :0
# (the network namespace cannot reach a display forwarded over TCP). Close the window to end.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
build=$top/build/demo
xvfb=0
screenshot=
shell=0
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --xvfb) xvfb=1; shift ;;
    --screenshot) screenshot=$(realpath -m "$2"); xvfb=1; shift 2 ;;
    --shell) shell=1; shift ;;
    *) sed -n '2,18p' "$0" >&2; exit 2 ;;
    esac
done

programs=("ipconfigurator/OrvantaIPConfigurator" "ipconfigurator/orvanta-ipconfig" "tools/orvanta-gige-emulator")
for program in "${programs[@]}"; do
    [ -x "$build/$program" ] && continue
    cmake -S "$top" -B "$build" -G Ninja -DORVANTA_BUILD_VIEWER=OFF -DORVANTA_BUILD_TESTS=OFF \
        -DORVANTA_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" --target OrvantaIPConfigurator orvanta-ipconfig orvanta-gige-emulator
    break
done

export ORVANTA_CAMERA_EMULATOR=$build/tools/orvanta-gige-emulator
if [ "$shell" = 1 ]; then
    exec "$top/tests/ipconfigurator/netns-run.sh" "$top/tools/netns/demo-configurator.net" -- \
        env PATH="$build/ipconfigurator:$PATH" PS1='testnet# ' bash --norc -i
fi
export DEMO_PROGRAM=$build/ipconfigurator/OrvantaIPConfigurator
export DEMO_XVFB=$xvfb DEMO_SCREENSHOT=$screenshot

# Runs inside the host namespace of the test network, the virtual-interface folder masked.
exec "$top/tests/ipconfigurator/netns-run.sh" "$top/tools/netns/demo-configurator.net" -- \
    bash -c '
    set -e
    if [ "$DEMO_XVFB" = 1 ]; then
        export DISPLAY=:$((90 + RANDOM % 100))
        Xvfb "$DISPLAY" -screen 0 1024x600x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        trap "kill $xvfb 2>/dev/null" EXIT
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
    fi
    if [ -z "$DEMO_SCREENSHOT" ]; then
        "$DEMO_PROGRAM"
        exit
    fi
    "$DEMO_PROGRAM" &
    program=$!
    sleep 8 # discovery of two interfaces and drawing
    # Shows the details of the first camera of gv0 when xdotool is there to click its row.
    if command -v xdotool >/dev/null; then
        xdotool mousemove 150 104 click 1
        sleep 2
    fi
    import -display "$DISPLAY" -window root -crop 1020x569+0+0 "$DEMO_SCREENSHOT"
    kill $program
    echo "saved $DEMO_SCREENSHOT"'
