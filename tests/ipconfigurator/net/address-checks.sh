# testnet: --ifaces 1 --cams 3
# Behind gv0 the test's cameras in namespaces 0 and 1, and in namespace 2 a host at
# 192.168.1.77 that is no camera (the test may start a camera there later).
iface 0 192.168.1.5/24 1500
holds 0 2 192.168.1.77/24
