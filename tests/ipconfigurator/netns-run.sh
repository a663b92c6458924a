#!/usr/bin/env bash
# Runs a configurator test program inside the private test network of tools/netns/testnet.sh,
# shaped by a network file:
#
#   netns-run.sh NETWORK-FILE -- PROGRAM [ARGS...]
#
# The network file's line "# testnet: OPTIONS" gives the options of testnet.sh (host
# interfaces gv0, gv1 ... and camera namespaces behind each); its commands then set the test's
# addresses:
#
#   iface I CIDR [MTU]       host interface gv<I> gets CIDR (instead of its default) and MTU
#   addr I CIDR [LABEL]      one more address (IPv4 or IPv6) on gv<I>, an IPv4 one with LABEL
#   virtual I                gv<I> is listed under /sys/devices/virtual/net
#   holds I K CIDR           camera namespace K behind gv<I> holds CIDR on its interface: a
#                            host that answers ARP but is no camera
#   camera I K ARGS...       camera namespace K behind gv<I> runs the camera emulator
#                            ($ORVANTA_CAMERA_EMULATOR) with ARGS; it puts the address of
#                            each emulated device on the namespace's interface itself
#
# PROGRAM runs in the host namespace with /sys/devices/virtual/net masked, so that the veth
# interfaces count as physical ones. Exit status: PROGRAM's; 77 when the network cannot be made.
set -euo pipefail

net_file=$1
shift
[ "${1:-}" = "--" ] && shift
here=$(cd "$(dirname "$0")" && pwd)
testnet=${ORVANTA_TESTNET:-$here/../../tools/netns/testnet.sh}

if [ -z "${TESTNET_HOST_NS:-}" ]; then
    options=$(sed -n 's/^# testnet: //p' "$net_file")
    # shellcheck disable=SC2086
    exec "$testnet" $options --no-cam-addr -- "$0" "$net_file" -- "$@"
fi

# From here on: inside the host namespace made by testnet.sh.
virtuals=(lo)

iface() { # I CIDR [MTU]
    ip addr flush dev "gv$1"
    addr "$1" "$2"
    ip link set "gv$1" mtu "${3:-1500}"
}

addr() { # I CIDR [LABEL]
    if [[ $2 == *:* ]]; then
        sysctl -qw "net.ipv6.conf.gv$1.disable_ipv6=0"
        ip -6 addr add "$2" dev "gv$1" nodad
    else
        ip addr add "$2" brd + dev "gv$1" ${3:+label "$3"}
    fi
}

virtual() { virtuals+=("gv$1"); }

camera_ns() { # I K
    local list="TESTNET_CAM_NS_$1"
    read -r -a all <<<"${!list}"
    echo "${all[$2]}"
}

holds() { # I K CIDR
    ip netns exec "$(camera_ns "$1" "$2")" ip addr add "$3" dev "$TESTNET_CAM_IFACE"
}

camera() { # I K emulator-arguments...
    local ns
    ns=$(camera_ns "$1" "$2")
    shift 2
    [ -x "${ORVANTA_CAMERA_EMULATOR:-}" ] || {
        echo "netns-run.sh: ORVANTA_CAMERA_EMULATOR does not name the emulator program" >&2
        exit 1
    }
    # Stopped with its namespace when the test network is taken down.
    ip netns exec "$ns" "$ORVANTA_CAMERA_EMULATOR" --iface "$TESTNET_CAM_IFACE" "$@" \
        >"/tmp/$ns.emulator.log" 2>&1 &
    for _ in $(seq 100); do
        grep -q ready "/tmp/$ns.emulator.log" 2>/dev/null && return
        sleep 0.05
    done
    echo "netns-run.sh: the emulator in $ns did not start:" >&2
    cat "/tmp/$ns.emulator.log" >&2
    exit 1
}

# shellcheck source=/dev/null
. "$net_file"

# A private mount namespace hides the veth devices from the virtual-interface listing; lo stays.
VIRTUALS="${virtuals[*]}" exec unshare -m --propagation private sh -c '
    mount -t tmpfs none /sys/devices/virtual/net || exit 1
    for name in $VIRTUALS; do mkdir "/sys/devices/virtual/net/$name"; done
    exec "$@"' sh "$@"
