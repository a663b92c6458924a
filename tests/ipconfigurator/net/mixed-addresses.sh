# testnet: --ifaces 4 --cams 0
# An IPv6-only interface and one with two IPv4 addresses (the second one labelled, as an alias)
# beside a plain one; gv3 is a software interface such as a container bridge.
iface 0 192.168.1.5/24
iface 1 fd00::5/64
iface 2 10.0.0.1/24
addr 2 10.0.1.1/24 gv2:1
addr 2 fd00:1::1/64
iface 3 172.17.0.1/16
virtual 3
