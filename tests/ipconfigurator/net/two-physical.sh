# Two physical interfaces.
iface eth0 192.168.1.5/24
iface eth1 172.16.5.5/16 9000
