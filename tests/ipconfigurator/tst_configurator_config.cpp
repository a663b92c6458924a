// "Set Camera Info" against an emulated camera in the test network, checked by the commands
// the camera received and the registers it holds afterwards (net/config-one-camera.sh).
#include "GvcpMessages.h"
#include "TestnetGuard.h"
#include "namespacecamera.h"
#include "windowdriver.h"

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

} // namespace

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
        emulator::CameraConfig config;
        config.ip = HostIp("192.168.1.20");
        config.mask = HostIp("255.255.255.0");
        config.gateway = HostIp("192.168.1.1");
        config.model = "CFG-CAM";
        config.serial = "C0001";
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
        selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
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
        selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
        m_ui->setText("edUser", "Busy");
        m_ui->clickButton("btnSetInfo");
        QVERIFY(m_ui->dialogShownWhile([this] { return m_cam->Received(gvcp::DISCOVERY_CMD); }));
        QCOMPARE(m_ui->cameraTexts(0), QStringList{"192.168.1.20-CFG-CAM C0001"});
        QCOMPARE(m_ui->progress().last(), 100);
    }

    void longNamesAreCutShortNamesPadded()
    {
        selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
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
        selectCamera(gvcp::IPCFG_PERSISTENT | gvcp::IPCFG_LLA);
        QVERIFY(m_ui->checked("chkStatic"));
        m_ui->setAddress("frMIP", "192.168.1.20");
        m_ui->setAddress("frMSUB", "255.255.255.0");
        m_ui->setAddress("frMMask", "192.168.1.1");
        m_ui->clickCheckBox("chkDHCP"); // changed, yet not written while Static is ticked
        setCameraInfo();
        QCOMPARE(writesTo(*m_cam), QStringList{});
        QVERIFY(!m_cam->Received(gvcp::FORCEIP_CMD));
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION),
                 gvcp::IPCFG_PERSISTENT | gvcp::IPCFG_LLA);
    }

    void dhcpOnAPersistentCamera()
    {
        selectCamera(0x00000005);
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
        selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
        m_ui->clickCheckBox("chkStatic");
        QVERIFY(m_ui->enabled("frMIP"));
        m_ui->setAddress("frMIP", "192.168.1.30");
        m_ui->setAddress("frMSUB", "255.255.255.0");
        m_ui->setAddress("frMMask", "192.168.1.254");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), QStringList{kConfirm});
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
    }

    void cameraOpenFail()
    {
        selectCamera(gvcp::IPCFG_LLA);
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
        selectCamera(gvcp::IPCFG_LLA);
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
        selectCamera(gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
        m_cam->RefuseWrite(gvcp::REG_PERSISTENT_GATEWAY, gvcp::kStatusAccessDenied);
        m_ui->clickCheckBox("chkStatic");
        m_ui->setAddress("frMIP", "192.168.1.31");
        m_ui->setAddress("frMSUB", "255.255.255.0");
        m_ui->setAddress("frMMask", "192.168.1.1");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), (QStringList{kConfirm, "Error: Set Static IP Error"}));
        QCOMPARE(writesTo(*m_cam),
                 (QStringList{W(gvcp::REG_PERSISTENT_GATEWAY, HostIp("192.168.1.1"))}));
        QVERIFY(!m_cam->Received(gvcp::FORCEIP_CMD));
        QCOMPARE(m_cam->Ip(), HostIp("192.168.1.20"));
    }

    void setConfigurationError()
    {
        selectCamera(gvcp::IPCFG_LLA);
        m_cam->RefuseRead(gvcp::REG_IP_CONFIGURATION, gvcp::kStatusAccessDenied);
        m_ui->clickCheckBox("chkDHCP");
        setCameraInfo();
        QCOMPARE(m_ui->boxes(), (QStringList{kConfirm, "Error: Set Configuration Error"}));
        QCOMPARE(writesTo(*m_cam), QStringList{});
        QCOMPARE(m_cam->Register(gvcp::REG_IP_CONFIGURATION), gvcp::IPCFG_LLA);
    }

    void answeringNoKeepsTheCamera()
    {
        selectCamera(gvcp::IPCFG_LLA);
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
