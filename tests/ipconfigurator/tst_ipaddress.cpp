// Address helpers of the window: valid ranges, the editors' octets and the camera order.
#include "configtasks.h"
#include "ipaddress.h"
#include "ipctrl.h"

#include <QLineEdit>
#include <QtTest>

#include <arpa/inet.h>

namespace {

uint32_t net(const char* dotted)
{
    in_addr addr{};
    inet_pton(AF_INET, dotted, &addr);
    return addr.s_addr;
}

CamInfo cameraAt(const char* dotted)
{
    CamInfo cam{};
    cam.currentIp = net(dotted);
    return cam;
}

} // namespace

class IPAddressTest : public QObject
{
    Q_OBJECT

private slots:
    void validRangeOfTheInterfaceSubnet_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("range");
        QTest::newRow("/24") << "192.168.1.5"
                             << "255.255.255.0"
                             << "192.168.1.1 ~ 192.168.1.254";
        QTest::newRow("/16") << "172.16.5.5"
                             << "255.255.0.0"
                             << "172.16.0.1 ~ 172.16.0.254";
        QTest::newRow("/8") << "10.20.30.40"
                            << "255.0.0.0"
                            << "10.0.0.1 ~ 10.0.0.254";
        // Smaller subnets: the upper end stays below the subnet's broadcast address.
        QTest::newRow("/25 low") << "192.168.1.5"
                                 << "255.255.255.128"
                                 << "192.168.1.1 ~ 192.168.1.126";
        QTest::newRow("/25 high") << "192.168.1.200"
                                  << "255.255.255.128"
                                  << "192.168.1.129 ~ 192.168.1.254";
        QTest::newRow("/30") << "192.168.1.9"
                             << "255.255.255.252"
                             << "192.168.1.9 ~ 192.168.1.10";
    }

    void validRangeOfTheInterfaceSubnet()
    {
        QFETCH(QString, ip);
        QFETCH(QString, mask);
        QFETCH(QString, range);
        QCOMPARE(validRangeText(ntohl(net(qPrintable(ip))), ntohl(net(qPrintable(mask)))), range);
    }

    void editorsShowAndReadOctets()
    {
        IPCtrl editor(nullptr);
        setEditorAddress(&editor, 0xC0A8010A);
        QCOMPARE(editor.m_lineEdit[0]->text(), QString("192"));
        QCOMPARE(editor.m_lineEdit[3]->text(), QString("10"));
        QCOMPARE(editorAddress(&editor), 0xC0A8010Au);
        QVERIFY(editorComplete(&editor));
        editor.m_lineEdit[2]->clear();
        QVERIFY(!editorComplete(&editor));
        QCOMPARE(editorAddress(&editor), 0xC0A8000Au);
        clearEditor(&editor);
        QCOMPARE(editorAddress(&editor), 0u);
        QCOMPARE(dottedFromNet(net("172.16.0.254")), QString("172.16.0.254"));
    }

    void fixedWidthTextsStopAtTheirWidth()
    {
        char full[4] = {'A', 'B', 'C', 'D'};
        char shorter[4] = {'A', 'B', 0, 'X'};
        QCOMPARE(fieldText(full), QString("ABCD"));
        QCOMPARE(fieldText(shorter), QString("AB"));
    }

    void camerasSortByLastOctetFirst()
    {
        CamInfo a = cameraAt("192.168.1.20");
        CamInfo b = cameraAt("192.168.1.3");
        CamInfo c = cameraAt("192.168.1.100");
        std::vector<CamInfo*> cams{&a, &b, &c};
        std::sort(cams.begin(), cams.end(), sortingIPAddr);
        QCOMPARE(cams, (std::vector<CamInfo*>{&b, &a, &c}));

        // Ties on the last octet are broken by the third, then the second and first.
        CamInfo d = cameraAt("10.0.2.7");
        CamInfo e = cameraAt("10.0.1.7");
        CamInfo f = cameraAt("10.0.0.9");
        QVERIFY(sortingIPAddr(&e, &d));
        QVERIFY(sortingIPAddr(&d, &f)); // .7 before .9 whatever the third octet
        QVERIFY(!sortingIPAddr(&d, &d));
    }
};

QTEST_MAIN(IPAddressTest)
#include "tst_ipaddress.moc"
