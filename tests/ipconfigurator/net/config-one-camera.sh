# testnet: --ifaces 1 --cams 1
# One host interface with one camera behind it; each test starts its own camera.
iface 0 192.168.1.5/24 1500
