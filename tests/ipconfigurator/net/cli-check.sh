# testnet: --ifaces 3 --cams 1
# gv0 (MTU 1500) filters strictly by reverse path, and the test puts a camera outside its
# subnet behind it; gv1 and gv2 share one subnet. rp_filter is a setting of this namespace.
iface 0 192.168.1.5/24 1500
iface 1 192.168.2.5/24 9000
iface 2 192.168.2.6/24 9000
sysctl -qw net.ipv4.conf.gv0.rp_filter=1
