# lo, one physical interface and one that the host lists as virtual.
iface eth0 192.168.1.5/24 1500
iface docker0 172.17.0.1/16
virtual docker0
