# testnet: --ifaces 1 --cams 2
# One host interface (MTU 1500) with two cameras behind it; the test starts the cameras.
iface 0 192.168.1.5/24 1500
