# testnet: --ifaces 2 --cams 3
# Behind gv0 the test's cameras A and B (namespaces 0 and 1) and, in namespace 2, a host at
# 192.168.1.77 that is no camera; behind gv1 the test's cameras C and D. gv0 also holds
# 192.168.1.6.
iface 0 192.168.1.5/24 1500
addr 0 192.168.1.6/24
iface 1 172.16.5.5/16 9000
holds 0 2 192.168.1.77/24
