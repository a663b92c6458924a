# apt-get for the set-up scripts (sourced). A package mirror can be out of sync for a while
# ("File has unexpected size ... Mirror sync in progress?") or a download can fail on the way:
# every call is tried up to ORVANTA_APT_ATTEMPTS times (default 3), ORVANTA_APT_RETRY_DELAY
# seconds apart (default 10), and apt's own output is shown. After a failed install,
# apt_first_error holds apt's first error line.

apt_attempts=${ORVANTA_APT_ATTEMPTS:-3}
apt_retry_delay=${ORVANTA_APT_RETRY_DELAY:-10}
apt_first_error=""
apt_sudo=""
[ "$(id -u)" -ne 0 ] && apt_sudo=sudo
export DEBIAN_FRONTEND=noninteractive

# apt_get ARGS...: one apt-get call, its output shown and kept in $apt_log.
apt_get() {
    apt_log=$(mktemp)
    { $apt_sudo apt-get -o Acquire::Retries=3 "$@" 2>&1; echo $? >"$apt_log.status"; } \
        | tee "$apt_log"
    local status
    status=$(cat "$apt_log.status")
    rm -f "$apt_log.status"
    return "$status"
}

# apt_update [ATTEMPTS]: refreshes the package lists. A list that cannot be fetched does not
# stop the caller: the install that follows decides whether the packages it needs are there.
apt_update() {
    local attempt attempts=${1:-$apt_attempts}
    for ((attempt = 1; attempt <= attempts; attempt++)); do
        apt_get update -q && { rm -f "$apt_log"; return 0; }
        rm -f "$apt_log"
        [ "$attempt" -lt "$attempts" ] && sleep "$apt_retry_delay"
    done
    echo "warning: apt-get update failed for some package lists; going on with those it has"
}

# apt_install PACKAGES...: installs them, refreshing the lists again before each new attempt.
apt_install() {
    local attempt
    apt_first_error=""
    for ((attempt = 1; ; attempt++)); do
        if apt_get install -y -q --no-install-recommends "$@"; then
            rm -f "$apt_log"
            return 0
        fi
        apt_first_error=$(grep -m1 '^E:' "$apt_log" || true)
        [ -n "$apt_first_error" ] || apt_first_error=$(grep -m1 . "$apt_log" || true)
        rm -f "$apt_log"
        [ "$attempt" -ge "$apt_attempts" ] && return 1
        echo "apt-get install failed (attempt $attempt of $apt_attempts); trying again in" \
            "$apt_retry_delay s"
        sleep "$apt_retry_delay"
        apt_update 1
    done
}

# apt_missing PACKAGES...: prints those of them that are not installed.
apt_missing() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
            || echo "$p"
    done
}
