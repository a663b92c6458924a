// "Set Camera Info" against an emulated camera in the test network, checked by the commands
// the camera received and the registers it holds afterwards (net/config-one-camera.sh).
#include "GvcpMessages.h"
#include "TestnetGuard.h"
#include "namespacecamera.h"
#include "windowdriver.h"

#include <QTreeWidget>
#include <QtTest>

namespace {

constexpr uint32_t kName0 = gvcp::REG_USER_NAME;

// One register write as text, so that a failing comparison shows the whole sequence.
QString W(uint32_t address, uint32_t value)
{
    return QString::asprintf("0x%04x=0x%08x", address, value);
}

QStringList writesTo(const NamespaceCamera& cam)
{
    QStringList writes;
    for (const ReceivedCommand& c : cam.Writes()) {
        writes << W(c.address, c.value);
    }
    return writes;
}

QList<uint32_t> nameRegisters(const NamespaceCamera& cam)
{
    QList<uint32_t> values;
    for (uint32_t reg = kName0; reg < kName0 + 16; reg += 4) {
        values << cam.Register(reg);
    }
    return values;
}

const QString kConfirm = "Confirm: Do you want to change camera information??";

emulator::CameraConfig cameraAt(const char* ip, const char* model, const char* serial,
                                uint8_t macLast)
{
    emulator::CameraConfig config;
    config.ip = HostIp(ip);
    config.mask = HostIp("255.255.255.0");
    config.gateway = HostIp("192.168.1.1");
    config.model = model;
    config.serial = serial;
    config.mac[5] = macLast;
    return config;
}

} // namespace

// Runs a set-up helper and ends the test when one of its checks failed, instead of going on
// with half a set-up.
#define SET_UP(call)                                                                               \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

class ConfiguratorConfigTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<NamespaceCamera> m_cam;
    std::unique_ptr<WindowDriver> m_ui;

    // Camera 192.168.1.20/24 (gateway .1, user name "Old") with `ipConfig` in 0x0014, a
    // window that has discovered it, and the camera's row clicked.
    void selectCamera(uint32_t ipConfig)
    {
        emulator::CameraConfig config = cameraAt("192.168.1.20", "CFG-CAM", "C0001", 1);
        config.user = "Old";
        config.ipConfig = ipConfig;
        m_cam = std::make_unique<NamespaceCamera>(CameraNamespaces(0).at(0), config);
        QVERIFY2(m_cam->IsRunning(), m_cam->Error().c_str());
        m_ui = std::make_unique<WindowDriver>();
        QVERIFY(m_ui->waitIdle());
        m_ui->clickRow(m_ui->cameraRow(0, "192.168.1.20"), 0);
        QCOMPARE(m_ui->text("label_2"), QString("Status : Normal"));
        QCOMPARE(m_ui->text("edUser"), QString("Old"));
        m_cam->ClearCommands();
        m_ui->clearBoxes();
        m_ui->clearProgress();
    }

    void setAddresses(const char* ip, const char* mask, const char* gateway)
    {
        m_ui->setAddress("frMIP", ip);
        m_ui->setAddress("frMSUB", mask);
        m_ui->setAddress("frMMask", gateway);
    }

    void setCameraInfo()
    {
        m_ui->clickButton("btnSetInfo");
        QVERIFY(m_ui->waitIdle());
    }

private slots:
    void initTestCase()
    {
        const std::string why = testnet::WhyNotInsideTestNetwork();
        QVERIFY2(why.empty(), why.c_str());
    }

    void cleanup()
    {
        m_ui.reset();
        m_cam.reset();
    }

    void onlyTheUserNameChanged()
    {
        SET_UP(selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA));
        m_ui->setText("edUser", "NewName");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), QStringList{kConfirm});
        // Privilege taken, four name registers, privilege released (with the message channel
        // port of a camera that has a message channel); nothing else.
        QCOMPARE(writesTo(*m_cam),
                 (QStringList{W(gvcp::REG_CCP, 1), W(kName0, 0x4E65774E), W(kName0 + 4, 0x616D6500),
                              W(kName0 + 8, 0), W(kName0 + 12, 0), W(gvcp::REG_CCP, 0),
                              W(gvcp::REG_MCP, 0)}));
        QVERIFY(!m_cam->Received(gvcp::FORCEIP_CMD));
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION), gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
        // The refreshed tree comes from a new discovery; the panel keeps its contents.
        QCOMPARE(m_ui->cameraTexts(0), QStringList{"192.168.1.20-CFG-CAM C0001"});
        QCOMPARE(m_ui->text("edUser"), QString("NewName"));
    }

    // The list is searched again behind the dialog while the window goes on serving events,
    // and the dialog stays up until the refreshed tree is there.
    void theWindowStaysResponsiveWhileTheListIsSearchedAgain()
    {
        SET_UP(selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA));
        m_ui->setText("edUser", "Busy");
        m_ui->clickButton("btnSetInfo");
        QVERIFY(m_ui->dialogShownWhile([this] { return m_cam->Received(gvcp::DISCOVERY_CMD); }));
        QCOMPARE(m_ui->cameraTexts(0), QStringList{"192.168.1.20-CFG-CAM C0001"});
        QCOMPARE(m_ui->progress().last(), 100);
    }

    void longNamesAreCutShortNamesPadded()
    {
        SET_UP(selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA));
        m_ui->setText("edUser", "ABCDEFGHIJKLMNOPQRST");
        setCameraInfo();
        QCOMPARE(nameRegisters(*m_cam),
                 (QList<uint32_t>{0x41424344, 0x45464748, 0x494A4B4C, 0x4D4E4F50}));

        m_ui->setText("edUser", "Cam");
        setCameraInfo();
        QCOMPARE(nameRegisters(*m_cam), (QList<uint32_t>{0x43616D00, 0, 0, 0}));
        QVERIFY(m_ui->boxes().filter("Error").isEmpty());
    }

    void staticWithUnchangedAddressesWritesNothing()
    {
        SET_UP(selectCamera(gvcp::IPCFG_PERSISTENT | gvcp::IPCFG_LLA));
        QVERIFY(m_ui->checked("chkStatic"));
        setAddresses("192.168.1.20", "255.255.255.0", "192.168.1.1");
        m_ui->clickCheckBox("chkDHCP"); // changed, yet not written while Static is ticked
        setCameraInfo();
        QCOMPARE(writesTo(*m_cam), QStringList{});
        QVERIFY(!m_cam->Received(gvcp::FORCEIP_CMD));
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION),
                 gvcp::IPCFG_PERSISTENT | gvcp::IPCFG_LLA);
    }

    void dhcpOnAPersistentCamera()
    {
        SET_UP(selectCamera(0x00000005));
        m_ui->clickCheckBox("chkStatic");
        QVERIFY(!m_ui->checked("chkStatic"));
        QVERIFY(!m_ui->enabled("frMIP"));
        m_ui->clickCheckBox("chkDHCP");
        setCameraInfo();
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION), 0x00000006u);
        QCOMPARE(writesTo(*m_cam), (QStringList{W(gvcp::REG_IP_CONFIGURATION, 6)}));
    }

    void newStaticAddressIsMadePersistentAndTaken()
    {
        SET_UP(selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA));
        m_ui->clickCheckBox("chkStatic");
        QVERIFY(m_ui->enabled("frMIP"));
        setAddresses("192.168.1.30", "255.255.255.0", "192.168.1.254");
        setCameraInfo();
        QCOMPARE(m_ui->boxTexts(),
                 QStringList{"Do you want to change camera information??\n\n"
                             "Camera: CFG-CAM, serial C0001, MAC 02:00:00:00:00:01\n"
                             "IP Address: 192.168.1.20 \u2192 192.168.1.30\n"
                             "Gateway: 192.168.1.1 \u2192 192.168.1.254\n"
                             "Static: off \u2192 on"});
        QCOMPARE(writesTo(*m_cam),
                 (QStringList{W(gvcp::REG_PERSISTENT_GATEWAY, HostIp("192.168.1.254")),
                              W(gvcp::REG_PERSISTENT_MASK, HostIp("255.255.255.0")),
                              W(gvcp::REG_PERSISTENT_IP, HostIp("192.168.1.30")),
                              W(gvcp::REG_IP_CONFIGURATION, 7)}));
        QVERIFY(m_cam->Received(gvcp::FORCEIP_CMD));
        QCOMPARE(m_cam->Ip(), HostIp("192.168.1.30"));
        QCOMPARE(m_ui->cameraTexts(0), QStringList{"192.168.1.30-CFG-CAM C0001"});
        // The task's own steps; the refresh that follows reports its search after them.
        QCOMPARE(m_ui->progress().mid(0, 12),
                 (QList<int>{10, 20, 30, 60, 40, 50, 60, 70, 40, 80, 90, 100}));
        // The refreshed tree selects the camera again, and the panel shows it anew.
        QCOMPARE(m_ui->tree()->currentItem(), m_ui->cameraRow(0, "192.168.1.30"));
        QTRY_COMPARE(m_ui->text("label_2"), QString("Status : Normal"));
        QCOMPARE(m_ui->address("frCIP"), QString("192.168.1.30"));
        QCOMPARE(m_ui->address("frMMask"), QString("192.168.1.254"));
        QCOMPARE(m_ui->text("edMac"), QString("02:00:00:00:00:01"));
    }

    // net/address-checks.sh. Each refused address is named in an error box and nothing
    // reaches the camera; the last ones are found only by the probe. (The checks against the
    // PC's own addresses are tested without a network in tst_gvcp_address; tst_findinterface
    // shows that the window knows every address of the PC, secondary ones and those of
    // software interfaces too.)
    void refusedAddressesWriteNothing()
    {
        NamespaceCamera other(CameraNamespaces(0).at(1),
                              cameraAt("192.168.1.30", "OTHER", "C2", 2));
        QVERIFY(other.IsRunning());
        SET_UP(selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA));
        const QList<uint32_t> persistent = {m_cam->Register(gvcp::REG_PERSISTENT_IP),
                                            m_cam->Register(gvcp::REG_PERSISTENT_MASK),
                                            m_cam->Register(gvcp::REG_PERSISTENT_GATEWAY)};
        m_ui->clickCheckBox("chkStatic");
        auto refuse = [this](const char* ip, const char* mask, const char* gateway) {
            setAddresses(ip, mask, gateway);
            m_ui->clearBoxes();
            m_ui->clickButton("btnSetInfo"); // returns once a refusal's box is closed
            const bool idle = !m_ui->busy() || m_ui->waitIdle();
            return idle ? m_ui->boxes().join(" | ") : QStringLiteral("still busy");
        };
        const char* const mask = "255.255.255.0";
        const char* const gw = "192.168.1.1";
        QCOMPARE(refuse("0.0.0.0", mask, gw),
                 "Error: 0.0.0.0 is not a camera address: addresses starting with 0 stand for "
                 "\"this network\".");
        QCOMPARE(refuse("255.255.255.255", mask, gw),
                 "Error: 255.255.255.255 is not a camera address: it is the broadcast address "
                 "of every network.");
        QCOMPARE(refuse("224.0.0.1", mask, gw),
                 "Error: 224.0.0.1 is not a camera address: it is a multicast address "
                 "(224.0.0.0 to 239.255.255.255).");
        QCOMPARE(refuse("127.0.0.1", "255.0.0.0", "0.0.0.0"),
                 "Error: 127.0.0.1 is not a camera address: it is a loopback address "
                 "(127.x.x.x), which every PC keeps for itself.");
        QCOMPARE(refuse("192.168.1.40", "255.255.0.255", gw),
                 "Error: Subnet mask 255.255.0.255 is not valid: its one bits must be "
                 "contiguous, like 255.255.255.0.");
        QCOMPARE(refuse("192.168.1.0", mask, gw),
                 "Error: 192.168.1.0 is not a camera address: it is the network address of "
                 "subnet 192.168.1.0/24.");
        QCOMPARE(refuse("192.168.1.255", "255.0.0.0", "0.0.0.0"),
                 "Error: 192.168.1.255 is not a camera address: it is the broadcast address of "
                 "subnet 192.168.1.0/24 of this PC's interface gv0.");
        QCOMPARE(refuse("192.168.1.40", mask, "10.0.0.1"),
                 "Error: Gateway 10.0.0.1 is outside the camera's subnet 192.168.1.0/24.");
        QCOMPARE(refuse("192.168.1.5", mask, gw),
                 "Error: 192.168.1.5 is the address of this PC's interface gv0.");
        QCOMPARE(refuse("192.168.1.30", mask, gw),
                 "Error: 192.168.1.30 is already used by camera OTHER (serial C2, MAC "
                 "02:00:00:00:00:02).");
        // Not in the last discovery: the probe finds them after the confirmation.
        NamespaceCamera late(CameraNamespaces(0).at(2), cameraAt("192.168.1.40", "LATE", "C3", 3));
        QVERIFY(late.IsRunning());
        QCOMPARE(refuse("192.168.1.40", mask, gw),
                 kConfirm + " | Error: 192.168.1.40 is already in use: camera LATE (serial C3, "
                            "MAC 02:00:00:00:00:03) answered there.");
        const QString host = refuse("192.168.1.77", mask, gw);
        QVERIFY2(host.startsWith(kConfirm + " | Error: 192.168.1.77 is already in use: a device "
                                            "with MAC ") &&
                     host.endsWith(" answered there."),
                 qPrintable(host));
        QVERIFY(m_ui->boxTexts().last().endsWith("\nNothing was written to the camera."));

        // Outside gv0's subnet: a second question first; No keeps the camera as it is, and
        // Yes leads to the usual confirmation.
        m_ui->answerNextQuestion(QMessageBox::No);
        QCOMPARE(refuse("192.168.7.20", mask, "192.168.7.1"),
                 "Confirm: 192.168.7.20 is outside the subnet of interface gv0 (192.168.1.0/24): "
                 "the camera will not be reachable from this interface.");
        m_ui->answerNextQuestion(QMessageBox::Yes);
        m_ui->answerNextQuestion(QMessageBox::No);
        QCOMPARE(refuse("192.168.7.20", mask, "192.168.7.1").section(" | ", 1), kConfirm);

        QCOMPARE(writesTo(*m_cam), QStringList{});
        QVERIFY(!m_cam->Received(gvcp::FORCEIP_CMD));
        QCOMPARE((QList<uint32_t>{m_cam->Register(gvcp::REG_PERSISTENT_IP),
                                  m_cam->Register(gvcp::REG_PERSISTENT_MASK),
                                  m_cam->Register(gvcp::REG_PERSISTENT_GATEWAY)}),
                 persistent);
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION), gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
        QCOMPARE(m_cam->Ip(), HostIp("192.168.1.20"));
    }

    void cameraOpenFail()
    {
        SET_UP(selectCamera(gvcp::IPCFG_LLA));
        m_cam->GrantPrivilegeToOther();
        m_ui->setText("edUser", "Taken");
        m_ui->clickCheckBox("chkDHCP");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), (QStringList{kConfirm, "Error: Camera open fail"}));
        // Nothing after the refused privilege: no name, no configuration.
        QCOMPARE(writesTo(*m_cam), (QStringList{W(gvcp::REG_CCP, 1)}));
        QCOMPARE(m_cam->Commands().front().status, gvcp::kStatusAccessDenied);
        QCOMPARE(nameRegisters(*m_cam), (QList<uint32_t>{0x4F6C6400, 0, 0, 0}));
    }

    void setUserIdErrorStillSetsTheConfiguration()
    {
        SET_UP(selectCamera(gvcp::IPCFG_LLA));
        m_cam->RefuseWrite(kName0 + 8, gvcp::kStatusInvalidAddress);
        m_ui->setText("edUser", "Refused");
        m_ui->clickCheckBox("chkDHCP");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), (QStringList{kConfirm, "Error: Set UserID Error"}));
        QList<uint32_t> nameWrites;
        for (const ReceivedCommand& c : m_cam->Writes()) {
            if (c.address >= kName0 && c.address < kName0 + 16) {
                nameWrites << c.address;
            }
        }
        QCOMPARE(nameWrites, (QList<uint32_t>{kName0, kName0 + 4, kName0 + 8, kName0 + 12}));
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION), gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
        QCOMPARE(m_cam->Register(gvcp::REG_CCP), 0u);
    }

    void setStaticIpError()
    {
        SET_UP(selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA));
        m_cam->RefuseWrite(gvcp::REG_PERSISTENT_GATEWAY, gvcp::kStatusAccessDenied);
        m_ui->clickCheckBox("chkStatic");
        setAddresses("192.168.1.31", "255.255.255.0", "192.168.1.1");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), (QStringList{kConfirm, "Error: Set Static IP Error"}));
        QCOMPARE(writesTo(*m_cam),
                 (QStringList{W(gvcp::REG_PERSISTENT_GATEWAY, HostIp("192.168.1.1"))}));
        QVERIFY(!m_cam->Received(gvcp::FORCEIP_CMD));
        QCOMPARE(m_cam->Ip(), HostIp("192.168.1.20"));
    }

    void setConfigurationError()
    {
        SET_UP(selectCamera(gvcp::IPCFG_LLA));
        m_cam->RefuseRead(gvcp::REG_IP_CONFIGURATION, gvcp::kStatusAccessDenied);
        m_ui->clickCheckBox("chkDHCP");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), (QStringList{kConfirm, "Error: Set Configuration Error"}));
        QCOMPARE(writesTo(*m_cam), QStringList{});
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION), gvcp::IPCFG_LLA);
    }

    void answeringNoKeepsTheCamera()
    {
        SET_UP(selectCamera(gvcp::IPCFG_LLA));
        m_ui->setText("edUser", "Unsent");
        m_ui->answerNextQuestion(QMessageBox::No);
        m_ui->clickButton("btnSetInfo");
        QVERIFY(m_ui->waitIdle());
        QCOMPARE(m_ui->boxes(), QStringList{kConfirm});
        QVERIFY(m_cam->Commands().empty());
    }
};

QTEST_MAIN(ConfiguratorConfigTest)
#include "tst_configurator_config.moc"
