#!/usr/bin/env bash
# Memory of OrvantaViewer beside Aravis's own viewer (arv-viewer-0.8), each streaming Aravis's
# networked fake camera (512 x 512 Mono8, its default) on a private X display: the resident
# set every half second while streaming, its largest value and the kernel's peak (VmHWM).
# The X server runs inside the test network too (its abstract socket is per namespace).
#
#   tools/netns/testnet.sh --cams 1 -- bench/viewer_memory.sh VIEWER [SECONDS] [SHOTS_DIR]
#
# VIEWER is the OrvantaViewer program to measure; SECONDS of streaming each (default 20);
# SHOTS_DIR receives a screenshot of each viewer while it streams. arv-viewer needs the
# GStreamer plugins of gstreamer1.0-plugins-base, -good and gstreamer1.0-gtk3.
set -euo pipefail
viewer=$1
seconds=${2:-20}
shots=${3:-}
[ -n "${TESTNET_CAM_NS:-}" ] || { echo "run through tools/netns/testnet.sh --cams 1" >&2; exit 2; }
camera_ns=${TESTNET_CAM_NS%% *}
display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!
pids=()
trap 'kill "${pids[@]}" $xserver 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1

declare -A largest_of
kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }

# measure NAME "CLICKS" COMMAND...: starts the viewer, clicks "x,y x,y ..." a second apart,
# then samples its memory while it streams.
measure() {
    local name=$1 clicks=$2
    shift 2
    ip netns exec "$camera_ns" arv-fake-gv-camera-0.8 -i eth0 -s MEM01 >/dev/null 2>&1 &
    local camera=$!
    pids+=("$camera")
    sleep 2
    "$@" >"/tmp/viewer_memory.$name.log" 2>&1 &
    local pid=$!
    pids+=("$pid")
    sleep 5
    for c in $clicks; do
        xdotool mousemove "${c%,*}" "${c#*,}" click 1
        sleep 1
    done
    sleep 3 # streaming settles
    local largest=0 now=0 samples=$((seconds * 2))
    for _ in $(seq "$samples"); do
        now=$(kb "$pid" VmRSS)
        [ "$now" -gt "$largest" ] && largest=$now
        sleep 0.5
    done
    [ -n "$shots" ] && import -window root "$shots/$name.png"
    printf '%-16s RSS while streaming: last %7d kB, largest %7d kB, peak (VmHWM) %7d kB\n' \
        "$name" "$now" "$largest" "$(kb "$pid" VmHWM)"
    largest_of[$name]=$largest
    kill "$pid" "$camera"
    wait "$pid" "$camera" 2>/dev/null || true
}

# OrvantaViewer: the camera's row, Open, Play.
QT_QPA_PLATFORM=xcb ORVANTA_BACKENDS=real ORVANTA_ARAVIS_INTERFACES=GigEVision \
    measure OrvantaViewer "69,86 91,39 187,39" "$viewer"
# arv-viewer: the networked camera's row (the second; the first is Aravis's in-process fake),
# then its play button (below the list once a camera is chosen).
measure arv-viewer-0.8 "161,117 77,277" arv-viewer-0.8
awk -v a="${largest_of[OrvantaViewer]:-0}" -v b="${largest_of[arv-viewer-0.8]:-0}" \
    'BEGIN { if (b > 0) printf "largest RSS, OrvantaViewer / arv-viewer-0.8: %.2f\n", a / b }'
