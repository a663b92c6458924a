// Interface enumeration, run inside the test networks of net/*.sh (see configurator.cmake):
// each test function expects the network its ctest entry builds.
#include "DeviceDiscovery.h"
#include "TestnetGuard.h"
#include "configtasks.h"
#include "findinterface.h"

#include <QNetworkInterface>
#include <QtTest>

#include <arpa/inet.h>
#include <sys/socket.h>

namespace {

std::vector<_IF_INFO> interfaces;

QString ipText(uint32_t net)
{
    return QHostAddress(ntohl(net)).toString();
}

QStringList listedNames()
{
    QStringList names;
    for (const _IF_INFO& entry : interfaces) {
        names << QString::fromLatin1(entry.ifName);
    }
    return names;
}

const _IF_INFO* entryNamed(const char* name)
{
    for (const _IF_INFO& entry : interfaces) {
        if (qstrcmp(entry.ifName, name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

class FindInterfaceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const std::string why = testnet::WhyNotInsideTestNetwork();
        QVERIFY2(why.empty(), why.c_str());
    }

    // lo, gv0 192.168.1.5/24 MTU 1500, gv1 listed as virtual.
    void onePhysical()
    {
        QCOMPARE(findinterface(AF_INET, &interfaces), 1);
        QCOMPARE(listedNames(), QStringList{"gv0"});
        const _IF_INFO& gv0 = interfaces.front();
        QCOMPARE(gv0.ifIndex, 0);
        QCOMPARE(ipText(gv0.ifIp), QString("192.168.1.5"));
        QCOMPARE(ipText(gv0.ifMask), QString("255.255.255.0"));
        QCOMPARE(gv0.ifMtu, 1500);
        QCOMPARE(QString::fromLatin1(gv0.ifMac),
                 QNetworkInterface::interfaceFromName("gv0").hardwareAddress());
        QVERIFY(gv0.cameras.empty());
    }

    // gv0, an IPv6-only gv1, gv2 with two IPv4 addresses and the software interface gv3.
    // Cameras are searched through the first address of gv0 and gv2; the window's checks of a
    // new camera address know every address of the PC.
    void mixedAddresses()
    {
        findinterface(AF_INET, &interfaces);
        QVERIFY(!entryNamed("gv1"));
        QCOMPARE(listedNames().count("gv2"), 1);
        QCOMPARE(ipText(entryNamed("gv2")->ifIp), QString("10.0.0.1"));
        QCOMPARE(ipText(entryNamed("gv2")->ifMask), QString("255.255.255.0"));
        QCOMPARE(interfaces.size(), size_t(2));

        const gvcp::HostView host = hostViewOf(interfaces);
        auto refusal = [&host](const char* ip, const char* mask) {
            const gvcp::IpSettings address{ntohl(inet_addr(ip)), ntohl(inet_addr(mask)), 0};
            return QString::fromStdString(
                gvcp::CheckAddressConflicts(address, host, gvcp::KnownCamera{}).reason);
        };
        QCOMPARE(refusal("10.0.1.1", "255.255.255.0"),
                 QString("10.0.1.1 is the address of this PC's interface gv2."));
        QCOMPARE(refusal("10.0.1.255", "255.0.0.0"),
                 QString("10.0.1.255 is not a camera address: it is the broadcast address of "
                         "subnet 10.0.1.0/24 of this PC's interface gv2."));
        QCOMPARE(refusal("172.17.0.1", "255.255.0.0"),
                 QString("172.17.0.1 is the address of this PC's interface gv3."));
        QCOMPARE(refusal("172.17.0.0", "255.0.0.0"),
                 QString("172.17.0.0 is not a camera address: it is the network address of "
                         "subnet 172.17.0.0/16 of this PC's interface gv3."));
        QCOMPARE(refusal("10.0.1.2", "255.255.255.0"), QString());
    }

    // gv0 and gv1: indexes follow the platform's order; a second run rebuilds the list
    // (and releases the camera records of the first).
    void twoPhysical()
    {
        findinterface(AF_INET, &interfaces);
        QStringList platformOrder;
        for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
            if (iface.name() == "gv0" || iface.name() == "gv1") {
                platformOrder << iface.name();
            }
        }
        QCOMPARE(listedNames(), platformOrder);
        QCOMPARE(interfaces[0].ifIndex, 0);
        QCOMPARE(interfaces[1].ifIndex, 1);
        QCOMPARE(entryNamed("gv1")->ifMtu, 9000);
        QCOMPARE(ipText(entryNamed("gv1")->ifMask), QString("255.255.0.0"));

        interfaces[0].cameras.push_back(new CamInfo{});
        findinterface(AF_INET, &interfaces);
        QCOMPARE(interfaces.size(), size_t(2));
        QVERIFY(interfaces[0].cameras.empty());
    }
};

QTEST_GUILESS_MAIN(FindInterfaceTest)
#include "tst_findinterface.moc"
