# testnet: --ifaces 4 --cams 1
# ORVANTA_MANY_CAMERAS emulated cameras (default 40), spread evenly over four host interfaces:
# behind gv<i> (10.10.<i+1>.1/24) one emulator serves its share, given in falling address order
# (10.10.<i+1>.250, .246, ...), so that the list is sorted by the configurator.
total=${ORVANTA_MANY_CAMERAS:-40}
for i in 0 1 2 3; do
    args=()
    for ((k = 1; k <= total / 4; ++k)); do
        args+=(--camera "$(printf 'mac=02:00:00:00:%02x:%02x,ip=10.10.%d.%d,mask=255.255.255.0,model=MANY-%d,serial=M%d-%02d' \
            "$i" "$k" $((i + 1)) $((254 - 4 * k)) "$i" "$i" "$k")")
    done
    camera "$i" 0 "${args[@]}"
done
