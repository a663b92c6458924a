#!/usr/bin/env bash
# Runs a configurator test program inside a private test network:
#
#   netns-run.sh NETWORK-FILE -- PROGRAM [ARGS...]
#
# PROGRAM runs in a host namespace of its own, with /sys/devices/virtual/net masked so that the
# veth devices made here count as physical interfaces. NETWORK-FILE is a shell file that
# describes the host's interfaces with these commands:
#
#   iface NAME CIDR [MTU]   a veth interface NAME in the host namespace, its peer on a switch
#   addr NAME CIDR          one more address (IPv4 or IPv6) on NAME
#   virtual NAME            list NAME under /sys/devices/virtual/net in the masked view
#   camera NAME CIDR [ARGS] an emulated camera in a namespace of its own on NAME's switch
#
# Every namespace is removed when the program ends. Exits 77 (test skipped) when network
# namespaces cannot be made, i.e. when not run as root.
set -euo pipefail

net_file=$1
shift
[ "${1:-}" = "--" ] && shift

tag="ipc$$"
host="${tag}h"
namespaces=()
pids=()
virtuals=(lo)
cameras=0

cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    for ns in "${namespaces[@]}"; do
        ip netns del "$ns" 2>/dev/null || true
    done
}
trap cleanup EXIT

new_ns() {
    ip netns add "$1"
    namespaces+=("$1")
    ip -n "$1" link set lo up
}

if [ "$(id -u)" != 0 ] || ! new_ns "$host" 2>/dev/null; then
    echo "SKIP: network namespaces need root"
    exit 77
fi

switch_of() { echo "${tag}s$1"; }

iface() { # NAME CIDR [MTU]
    local name=$1 cidr=$2 mtu=${3:-1500} sw
    sw=$(switch_of "$name")
    new_ns "$sw"
    ip -n "$sw" link add br0 type bridge
    ip -n "$sw" link set br0 up
    ip -n "$host" link add "$name" type veth peer name uplink netns "$sw"
    ip -n "$sw" link set uplink master br0 up
    ip -n "$host" link set "$name" mtu "$mtu" up
    addr "$name" "$cidr"
}

addr() { # NAME CIDR
    if [[ $2 == *:* ]]; then
        ip -n "$host" -6 addr add "$2" dev "$1" nodad
    else
        ip -n "$host" addr add "$2" dev "$1"
    fi
}

virtual() { virtuals+=("$1"); }

camera() { # NAME CIDR [emulator arguments...]
    local name=$1 cidr=$2 sw cam port
    shift 2
    sw=$(switch_of "$name")
    cameras=$((cameras + 1))
    cam="${tag}c${cameras}"
    port="cam${cameras}"
    new_ns "$cam"
    ip -n "$sw" link add "$port" type veth peer name eth0 netns "$cam"
    ip -n "$sw" link set "$port" master br0 up
    ip -n "$cam" addr add "$cidr" dev eth0
    ip -n "$cam" link set eth0 up
    start_emulator "$cam" "$@"
}

start_emulator() { # NAMESPACE [emulator arguments...]
    echo "no camera emulator given (ORVANTA_CAMERA_EMULATOR)" >&2
    exit 1
}

# shellcheck source=/dev/null
. "$net_file"

VIRTUALS="${virtuals[*]}" ip netns exec "$host" sh -c '
    mount -t tmpfs none /sys/devices/virtual/net || exit 1
    for name in $VIRTUALS; do mkdir "/sys/devices/virtual/net/$name"; done
    exec "$@"' sh "$@" &
program=$!
# ctest stops a test that runs too long with TERM: pass it on, then clean up as usual.
trap 'kill $program 2>/dev/null' TERM INT
status=0
wait $program || status=$?
exit $status
