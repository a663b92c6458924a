# testnet: --ifaces 1 --cams 2
# One host interface; the test's camera sits outside its subnet. In camera namespace 1 a host
# at 192.168.1.77 that is no camera.
iface 0 192.168.1.5/24 1500
holds 0 1 192.168.1.77/24
