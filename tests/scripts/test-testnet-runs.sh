#!/usr/bin/env bash
# Two runs of the test network at once, one of them inside a PID namespace of its own (as the
# cross-build tests run): the other run's clean-up of left-over namespaces must not take the
# live run's, whose process ID means nothing outside its PID namespace.
set -euo pipefail
top=$1
testnet=$top/tools/netns/testnet.sh
[ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null || { echo "SKIP: needs root"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A process ID the machine's own PID namespace does not use, for the inner run's script.
pid=32000
while [ -d "/proc/$pid" ] && [ "$pid" -lt 32700 ]; do pid=$((pid + 1)); done

# ns_last_pid is the new PID namespace's own counter, not a machine setting.
unshare --pid --fork --mount-proc bash -c '
    echo $(('"$pid"' - 1)) >/proc/sys/kernel/ns_last_pid
    "$0" --cams 1 -- bash -c "touch $1/ready; sleep 4; ip netns exec \$TESTNET_CAM_NS true && echo alive"
    exit  # not the last command: bash would run the script as process 1, which every PID namespace has
' "$testnet" "$work" >"$work/inner.log" 2>&1 &
inner=$!
for _ in $(seq 100); do [ -e "$work/ready" ] && break; sleep 0.1; done
[ -e "$work/ready" ] || { echo "FAIL: the inner run did not start"; cat "$work/inner.log"; exit 1; }

"$testnet" --cams 0 -- true >"$work/outer.log" 2>&1 || { echo "FAIL: the second run"; cat "$work/outer.log"; exit 1; }
status=0
wait "$inner" || status=$?
if [ "$status" -ne 0 ] || ! grep -qx alive "$work/inner.log"; then
    echo "FAIL: the live run lost its namespaces to the other run's clean-up (exit $status)"
    cat "$work/inner.log"
    exit 1
fi
echo "PASS: both runs kept their own namespaces"
