# testnet: --ifaces 1 --cams 1
# One host interface; the test's camera sits outside its subnet.
iface 0 192.168.1.5/24 1500
