#!/usr/bin/env bash
# Runs a command inside a private test network made of network namespaces, and removes the
# network again when the command ends (also on error, Ctrl-C or a test time-out). Nothing is
# ever sent from the machine's own namespace. Needs root (ip netns).
#
# Usage: testnet.sh [--ifaces N] [--cams M] [--no-cam-addr] -- COMMAND [ARGS...]
#
#   --ifaces N     host interfaces gv0..gv(N-1), default 1. Interface i has 10.10.(i+1).1/24.
#   --cams M       camera namespaces behind EACH host interface, default 1 (0 allowed). Camera k
#                  of interface i (k from 0) gets 10.10.(i+1).(10+k)/24 on its interface eth0,
#                  unless --no-cam-addr, and a default route through eth0 so that it can answer
#                  by unicast from an address outside the host's subnet.
#
# Topology of interface i: host ns [gv<i>] -- [uplink] bridge br0 in a switch ns [p<k>] --
# [eth0] camera ns k. Several cameras thus sit behind one host interface.
#
# COMMAND runs in the host namespace with these variables set (lists are space separated):
#   TESTNET_ID            unique name of this run (all namespace names start with it)
#   TESTNET_HOST_NS       name of the host namespace (as in /run/netns)
#   TESTNET_HOST_IFACES   gv0 gv1 ...
#   TESTNET_HOST_IPS      10.10.1.1 10.10.2.1 ...
#   TESTNET_PREFIXLEN     24
#   TESTNET_CAM_IFACE     eth0 (the interface inside every camera namespace)
#   TESTNET_CAM_NS        every camera namespace, interface-major order
#   TESTNET_CAM_IPS       their default addresses, same order
#   TESTNET_CAM_NS_<i>    the camera namespaces behind host interface i
# A peer is started in a camera namespace with: ip netns exec "$ns" PROGRAM ...
# Processes still running in the namespaces when COMMAND ends are killed with them.
# Exit status: that of COMMAND; 77 when the network cannot be made (not root, no ip netns).
set -euo pipefail

ifaces=1
cams=1
cam_addr=1
while [ $# -gt 0 ]; do
    case "$1" in
    --ifaces) ifaces=$2; shift 2 ;;
    --cams) cams=$2; shift 2 ;;
    --no-cam-addr) cam_addr=0; shift ;;
    --) shift; break ;;
    *) echo "testnet.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "testnet.sh: no command given" >&2; exit 2; }

PATH=$PATH:/usr/sbin:/sbin
if [ "$(id -u)" -ne 0 ] || ! command -v ip >/dev/null; then
    echo "testnet.sh: SKIP: needs root and iproute2 to make network namespaces" >&2
    exit 77
fi

prefix=otn
id="$prefix$$r$RANDOM"
created=()

# Each run holds a lock for as long as it (or a program it started) lives. Process IDs cannot
# tell: runs inside PID namespaces of their own (the cross-build tests) share the machine's
# network namespaces but not its process IDs.
locks=/run/orvanta-testnet
mkdir -p "$locks"
lock="$locks/$id.lock"
exec {lockfd}>"$lock"
flock "$lockfd"

# Namespaces of runs that are gone (killed hard) are removed; live runs are left alone.
for ns in $(ip netns list 2>/dev/null | awk '{print $1}' | grep "^${prefix}[0-9]*r" || true); do
    run=${ns%%-*}
    if [ -e "$locks/$run.lock" ]; then
        flock -n "$locks/$run.lock" true || continue
    else # a run of an older script, without a lock: its process ID is all there is
        pid=${run#"$prefix"}
        [ ! -d "/proc/${pid%%r*}" ] || continue
    fi
    ip netns del "$ns" 2>/dev/null || true
done

teardown() {
    local ns pids
    for ns in "${created[@]}"; do
        pids=$(ip netns pids "$ns" 2>/dev/null || true)
        # shellcheck disable=SC2086
        [ -z "$pids" ] || kill -TERM $pids 2>/dev/null || true
    done
    sleep 0.2
    for ns in "${created[@]}"; do
        pids=$(ip netns pids "$ns" 2>/dev/null || true)
        # shellcheck disable=SC2086
        [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
        ip netns del "$ns" 2>/dev/null || true
    done
    rm -f "$lock"
}
trap teardown EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mkns() {
    ip netns add "$1" || { echo "testnet.sh: SKIP: cannot make namespace $1" >&2; exit 77; }
    created+=("$1")
    ip -n "$1" link set lo up
    # Answers from addresses outside a subnet must not be dropped by reverse-path checks.
    ip netns exec "$1" sysctl -qw net.ipv4.conf.all.rp_filter=0 net.ipv4.conf.default.rp_filter=0
    # IPv4 only: keeps captures free of neighbour discovery chatter.
    ip netns exec "$1" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
}

host="$id-h"
mkns "$host"
host_ifaces=()
host_ips=()
cam_ns_all=()
cam_ips_all=()
for ((i = 0; i < ifaces; i++)); do
    sw="$id-s$i"
    mkns "$sw"
    ip -n "$sw" link add br0 type bridge
    ip -n "$sw" link set br0 up
    ip link add "gv$i" netns "$host" type veth peer name uplink netns "$sw"
    ip -n "$sw" link set uplink master br0 up
    ip -n "$host" addr add "10.10.$((i + 1)).1/24" brd + dev "gv$i"
    ip -n "$host" link set "gv$i" up
    host_ifaces+=("gv$i")
    host_ips+=("10.10.$((i + 1)).1")
    list=()
    for ((k = 0; k < cams; k++)); do
        cam="$id-c$i-$k"
        mkns "$cam"
        ip link add eth0 netns "$cam" type veth peer name "p$k" netns "$sw"
        ip -n "$sw" link set "p$k" master br0 up
        ip -n "$cam" link set eth0 up
        ip -n "$cam" route add default dev eth0
        if [ "$cam_addr" -eq 1 ]; then
            ip -n "$cam" addr add "10.10.$((i + 1)).$((10 + k))/24" brd + dev eth0
        fi
        list+=("$cam")
        cam_ns_all+=("$cam")
        cam_ips_all+=("10.10.$((i + 1)).$((10 + k))")
    done
    export "TESTNET_CAM_NS_$i=${list[*]}"
done

# Links come up asynchronously; wait until every link of the test network is up.
links_down() {
    local ns
    for ns in "${created[@]}"; do
        ip -n "$ns" -o link show | grep -v ': lo:' | grep -v 'state UP' || true
    done
}
for ((t = 0; t < 100; t++)); do
    [ -z "$(links_down)" ] && break
    sleep 0.05
done

export TESTNET_ID="$id"
export TESTNET_HOST_NS="$host"
export TESTNET_HOST_IFACES="${host_ifaces[*]}"
export TESTNET_HOST_IPS="${host_ips[*]}"
export TESTNET_PREFIXLEN=24
export TESTNET_CAM_IFACE=eth0
export TESTNET_CAM_NS="${cam_ns_all[*]}"
export TESTNET_CAM_IPS="${cam_ips_all[*]}"

status=0
ip netns exec "$host" "$@" || status=$?
exit $status
