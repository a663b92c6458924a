# testnet: --ifaces 3 --cams 0
# An IPv6-only interface and one with two IPv4 addresses beside a plain one.
iface 0 192.168.1.5/24
iface 1 fd00::5/64
iface 2 10.0.0.1/24
addr 2 10.0.1.1/24
addr 2 fd00:1::1/64
