# testnet: --ifaces 3 --cams 1
# Three host interfaces with one camera behind each; gv1 has MTU 9000 and a /16 subnet.
iface 0 192.168.1.5/24 1500
iface 1 172.16.5.5/16 9000
iface 2 10.0.0.5/24 1500
