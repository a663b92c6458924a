# An IPv6-only interface and one with two IPv4 addresses beside a plain one.
iface eth0 192.168.1.5/24
iface v6only fd00::5/64
iface twoaddr 10.0.0.1/24
addr twoaddr 10.0.1.1/24
addr twoaddr fd00:1::1/64
