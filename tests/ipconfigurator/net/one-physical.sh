# testnet: --ifaces 2 --cams 0
# lo, one physical interface and one that the host lists as virtual.
iface 0 192.168.1.5/24 1500
iface 1 172.17.0.1/16
virtual 1
