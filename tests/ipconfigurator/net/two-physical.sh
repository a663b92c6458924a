# testnet: --ifaces 2 --cams 0
# Two physical interfaces.
iface 0 192.168.1.5/24
iface 1 172.16.5.5/16 9000
