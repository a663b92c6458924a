// The configurator window against emulated cameras in the test network: discovery across
// interfaces, the device tree, the interface panel and the camera status. Each test function
// expects the network its ctest entry builds (net/window-*.sh, net/wrong-subnet.sh).
#include "GvcpMessages.h"
#include "TestnetGuard.h"
#include "namespacecamera.h"
#include "progressdlg.h"
#include "windowdriver.h"

#include <QTreeWidget>
#include <QtTest>

namespace {

emulator::CameraConfig camera(const char* ip, const char* mask, const char* model,
                              const char* serial, uint8_t macLast)
{
    emulator::CameraConfig config;
    config.ip = HostIp(ip);
    config.mask = HostIp(mask);
    config.gateway = (config.ip & config.mask) | 1;
    config.model = model;
    config.serial = serial;
    config.mac[5] = macLast;
    return config;
}

std::unique_ptr<NamespaceCamera> start(int iface, int k, const emulator::CameraConfig& config)
{
    auto cam = std::make_unique<NamespaceCamera>(CameraNamespaces(iface).at(size_t(k)), config);
    if (!cam->IsRunning()) {
        qWarning("camera did not start: %s", cam->Error().c_str());
    }
    return cam;
}

QList<uint16_t> discoveryPorts(const NamespaceCamera& cam)
{
    QList<uint16_t> ports;
    for (const ReceivedCommand& c : cam.Commands()) {
        if (c.command == gvcp::DISCOVERY_CMD) {
            ports << c.fromPort;
        }
    }
    return ports;
}

// Persistent address, mask, gateway and the IP configuration register.
QList<uint32_t> persistentSettings(const NamespaceCamera& cam)
{
    return {cam.Register(gvcp::REG_PERSISTENT_IP), cam.Register(gvcp::REG_PERSISTENT_MASK),
            cam.Register(gvcp::REG_PERSISTENT_GATEWAY), cam.Register(gvcp::REG_IP_CONFIGURATION)};
}

} // namespace

class ConfiguratorWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const std::string why = testnet::WhyNotInsideTestNetwork();
        QVERIFY2(why.empty(), why.c_str());
    }

    // gv0 192.168.1.5/24, MTU 1500, cameras at .20 and .3.
    void oneInterfaceTreeAndPanels()
    {
        auto camA = start(0, 0, camera("192.168.1.20", "255.255.255.0", "CAM-A", "2020", 1));
        auto camB = start(0, 1, camera("192.168.1.3", "255.255.255.0", "CAM-B", "0303", 2));
        QVERIFY(camA->IsRunning() && camB->IsRunning());

        WindowDriver ui;
        QVERIFY(ui.waitIdle());
        QCOMPARE(ui.window()->windowTitle(), QString("OrvantaIPConfigurator - v1.1.0.0"));
        QCOMPARE(ui.rootTexts(), QStringList{"0# gv0"});
        QCOMPARE(ui.cameraTexts(0),
                 (QStringList{"192.168.1.3-CAM-B 0303", "192.168.1.20-CAM-A 2020"}));
        QCOMPARE(discoveryPorts(*camA), QList<uint16_t>{9000});

        // Interface row, either column: the interface panel with the MTU warning.
        ui.clickRow(ui.root(0), 1);
        QCOMPARE(ui.text("laHNAME"), QString("Name : gv0"));
        QCOMPARE(ui.text("laHIP"), QString("192.168.1.5"));
        QVERIFY(ui.text("laHMAC").startsWith("MAC Address : "));
        QCOMPARE(ui.text("laHMTU"), QString("MTU : 1500"));
        QCOMPARE(ui.styleOf("laHMTU"), QString("color: red;"));
        QVERIFY(ui.shown("laHMTUStat"));
        QCOMPARE(ui.text("laHMTUStat"),
                 QString("Please change MTU to 9000 (ex:sudo ifconfig gv0 mtu 9000)"));

        // Camera row, column 1 (empty text): the camera is selected all the same.
        ui.clickRow(ui.cameraRow(0, "192.168.1.20"), 1);
        QCOMPARE(ui.text("label_2"), QString("Status : Normal"));
        QCOMPARE(ui.styleOf("label_2"), QString("color: green;"));
        QCOMPARE(ui.text("edModel"), QString("CAM-A"));
        QCOMPARE(ui.text("edSerial"), QString("2020"));
        QCOMPARE(ui.address("frCIP"), QString("192.168.1.20"));
        QCOMPARE(ui.address("frCSUB"), QString("255.255.255.0"));
        QCOMPARE(ui.address("frCMask"), QString("192.168.1.1"));
        QCOMPARE(ui.address("frMIP"), QString("0.0.0.0")); // the persistent registers
        QVERIFY(ui.shown("btnSetInfo") && ui.enabled("btnSetInfo"));
        QVERIFY(!ui.shown("btnSetStaic"));
        QVERIFY(!ui.shown("laValidRange"));
        QVERIFY(ui.enabled("edUser") && ui.enabled("chkDHCP") && ui.enabled("chkStatic"));
        QVERIFY(ui.checked("chkDHCP")); // emulator: DHCP + LLA
        QVERIFY(!ui.enabled("frMIP"));  // Static unticked

        // Column 0 of the other camera.
        ui.clickRow(ui.cameraRow(0, "192.168.1.3"), 0);
        QCOMPARE(ui.text("edModel"), QString("CAM-B"));
        QCOMPARE(ui.text("laHNAME"), QString("Name : gv0"));

        // Back on the interface row: the camera panel is cleared.
        ui.clickRow(ui.root(0), 0);
        QCOMPARE(ui.text("edModel"), QString());
        QCOMPARE(ui.address("frCIP"), QString("..."));
        QVERIFY(!ui.enabled("btnSetInfo") && !ui.enabled("edUser"));

        // Another controller holds exclusive privilege: readable by nobody else.
        camB->GrantPrivilegeToOther();
        ui.clickRow(ui.cameraRow(0, "192.168.1.3"), 1);
        QCOMPARE(ui.text("label_2"), QString("Status : Access Denied"));
        QCOMPARE(ui.styleOf("label_2"), QString("color: red;"));
        QVERIFY(ui.shown("btnSetInfo") && !ui.enabled("btnSetInfo"));
        for (const char* name : {"edUser", "chkStatic", "chkDHCP", "frMIP", "frMSUB", "frMMask"}) {
            QVERIFY2(!ui.enabled(name), name);
        }

        // Refresh discovers again from the same port, with the same tree.
        ui.clickButton("btnRefresh");
        QVERIFY(ui.waitIdle());
        QCOMPARE(ui.cameraTexts(0).size(), 2);
        QCOMPARE(discoveryPorts(*camA), (QList<uint16_t>{9000, 9000}));
        QVERIFY(ui.boxes().isEmpty());

        // "Check network" shows the findings, each with the command that fixes it.
        ui.clickButton("btnCheckNetwork");
        QVERIFY(ui.waitIdle());
        QCOMPARE(ui.boxes().size(), 1);
        QVERIFY2(ui.boxes().front().startsWith("Check network: ") &&
                     ui.boxes().front().endsWith(" on this PC's network:"),
                 qPrintable(ui.boxes().front()));
        QVERIFY2(ui.boxTexts().front().contains(
                     "\n\ngv0 has MTU 1500: streaming at full rate needs jumbo frames (MTU 9000), "
                     "or frames are split and lost.\n    sudo ip link set gv0 mtu 9000"),
                 qPrintable(ui.boxTexts().front()));
        ui.clearBoxes();

        // Camera A is gone: the click returns at once, not after the reads wait out the
        // one-second acknowledge window, and events go on being served while they do.
        camA.reset();
        QElapsedTimer clock;
        clock.start();
        ui.clickRow(ui.cameraRow(0, "192.168.1.20"), 0, false);
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ui.text("label_2"), QString("Reading\u2026"));
        QVERIFY(!ui.enabled("btnSetInfo") && !ui.enabled("edUser"));
        qint64 servedAfterMs = -1;
        clock.restart();
        QTimer::singleShot(0, &ui, [&] { servedAfterMs = clock.elapsed(); });
        QTRY_VERIFY(servedAfterMs >= 0);
        QVERIFY2(servedAfterMs < 100, qPrintable(QString::number(servedAfterMs)));
        QVERIFY(ui.panelReading());
        QTRY_COMPARE(ui.text("label_2"), QString("Unknown connect error"));
        QCOMPARE(ui.text("edMac"), QString("02:00:00:00:00:01"));
    }

    // Closing the window while it discovers waits for the search instead of leaving it to
    // report to a window that is gone.
    void closingWhileDiscovering()
    {
        auto cam = start(0, 0, camera("192.168.1.20", "255.255.255.0", "CAM-A", "2020", 1));
        QVERIFY(cam->IsRunning());
        auto window = std::make_unique<Widget>();
        window->show();
        QTest::qWait(200);
        QVERIFY(window->progressDialog()->isVisible());
        window.reset();
        QTest::qWait(2000); // nothing of the window may run any more
    }

    // gv0 192.168.1.5/24 MTU 1500, gv1 172.16.5.5/16 MTU 9000, gv2 10.0.0.5/24.
    void threeInterfaces()
    {
        auto cam0 = start(0, 0, camera("192.168.1.20", "255.255.255.0", "CAM-0", "S0", 1));
        // Outside gv1's subnet: it answers discovery by broadcast but cannot be reached.
        auto cam1 = start(1, 0, camera("10.99.0.7", "255.255.255.0", "CAM-1", "S1", 2));
        auto cam2 = start(2, 0, camera("10.0.0.9", "255.255.255.0", "CAM-2", "S2", 3));
        QVERIFY(cam0->IsRunning() && cam1->IsRunning() && cam2->IsRunning());

        WindowDriver ui;
        QVERIFY(ui.waitIdle());
        QCOMPARE(ui.progress(), (QList<int>{30, 40, 50, 100}));
        QCOMPARE(ui.rootTexts(), (QStringList{"0# gv0", "1# gv1", "2# gv2"}));
        QCOMPARE(ui.cameraTexts(0), QStringList{"192.168.1.20-CAM-0 S0"});
        QCOMPARE(ui.cameraTexts(1), QStringList{"10.99.0.7-CAM-1 S1"});
        QCOMPARE(ui.cameraTexts(2), QStringList{"10.0.0.9-CAM-2 S2"});
        // Each interface is searched from its own port: 9000 + its position.
        QCOMPARE(discoveryPorts(*cam0), QList<uint16_t>{9000});
        QCOMPARE(discoveryPorts(*cam1), QList<uint16_t>{9001});
        QCOMPARE(discoveryPorts(*cam2), QList<uint16_t>{9002});

        ui.clickRow(ui.root(1), 0);
        QCOMPARE(ui.text("laHNAME"), QString("Name : gv1"));
        QCOMPARE(ui.text("laHMTU"), QString("MTU : 9000"));
        QCOMPARE(ui.styleOf("laHMTU"), QString("color: black;"));
        QVERIFY(!ui.shown("laHMTUStat"));

        ui.clickRow(ui.cameraRow(1, "10.99.0.7"), 0);
        QCOMPARE(ui.text("label_2"), QString("Unknown connect error"));
        QCOMPARE(ui.text("laValidRange"), QString("Valid IP Range : 172.16.0.1 ~ 172.16.0.254"));
        QVERIFY(ui.shown("btnSetStaic") && !ui.shown("btnSetInfo"));

        // Going back to a reachable camera brings its own button back.
        ui.clickRow(ui.cameraRow(2, "10.0.0.9"), 0);
        QCOMPARE(ui.text("label_2"), QString("Status : Normal"));
        QVERIFY(!ui.shown("btnSetStaic") && ui.shown("btnSetInfo"));
        QVERIFY(!ui.shown("laValidRange"));
    }

    // gv0 192.168.1.5/24; the camera at 169.254.10.20/16 is outside that subnet.
    void wrongSubnetCameraGetsStaticAddress()
    {
        emulator::CameraConfig config = camera("169.254.10.20", "255.255.0.0", "CAM-LLA", "S9", 9);
        config.ipConfig = gvcp::IPCFG_LLA;
        auto cam = start(0, 0, config);
        QVERIFY(cam->IsRunning());

        WindowDriver ui;
        QVERIFY(ui.waitIdle());
        QCOMPARE(ui.cameraTexts(0), QStringList{"169.254.10.20-CAM-LLA S9"});
        ui.clickRow(ui.cameraRow(0, "169.254.10.20"), 1);
        QCOMPARE(ui.text("label_2"), QString("Unknown connect error"));
        QCOMPARE(ui.styleOf("label_2"), QString("color: red;"));
        QCOMPARE(ui.text("laValidRange"), QString("Valid IP Range : 192.168.1.1 ~ 192.168.1.254"));
        QCOMPARE(ui.styleOf("laValidRange"), QString("color: red;"));
        QVERIFY(ui.shown("btnSetStaic") && !ui.shown("btnSetInfo"));
        QCOMPARE(ui.styleOf("btnSetStaic"), QString("color: red;"));
        for (const char* name : {"frMIP", "frMSUB", "frMMask", "btnSetStaic"}) {
            QVERIFY2(ui.enabled(name), name);
        }
        for (const char* name : {"edUser", "chkStatic", "chkDHCP"}) {
            QVERIFY2(!ui.enabled(name), name);
        }

        ui.setAddress("frMIP", "192.168.1.50");
        ui.setAddress("frMSUB", "255.255.255.0");
        ui.setAddress("frMMask", "192.168.1.1");
        cam->ClearCommands();
        ui.clickButton("btnSetStaic");
        // Persisting at the new address and searching again run behind the dialog.
        QVERIFY(ui.dialogShownWhile([&] { return cam->Received(gvcp::DISCOVERY_CMD); }));
        QCOMPARE(ui.boxes(), QStringList{"Confirm: Do you want to change IP Setting???"});

        // FORCEIP first, then the persistent registers at the new address.
        const std::vector<ReceivedCommand> commands = cam->Commands();
        QVERIFY(!commands.empty());
        QCOMPARE(commands.front().command, gvcp::FORCEIP_CMD);
        QCOMPARE(commands.front().value, HostIp("192.168.1.50"));
        QCOMPARE(cam->Ip(), HostIp("192.168.1.50"));
        QCOMPARE(cam->Register(gvcp::REG_PERSISTENT_IP), HostIp("192.168.1.50"));
        QCOMPARE(cam->Register(gvcp::REG_PERSISTENT_MASK), HostIp("255.255.255.0"));
        QCOMPARE(cam->Register(gvcp::REG_PERSISTENT_GATEWAY), HostIp("192.168.1.1"));
        QCOMPARE(cam->Register(gvcp::REG_IP_CONFIGURATION),
                 gvcp::IPCFG_LLA | gvcp::IPCFG_PERSISTENT);
        QCOMPARE(ui.cameraTexts(0), QStringList{"192.168.1.50-CAM-LLA S9"});
        QVERIFY(ui.checked("chkStatic"));
        // Selected again at its new address, now reachable.
        QCOMPARE(ui.tree()->currentItem(), ui.cameraRow(0, "192.168.1.50"));
        QTRY_COMPARE(ui.text("label_2"), QString("Status : Normal"));
        QCOMPARE(ui.address("frCIP"), QString("192.168.1.50"));
        QVERIFY(ui.shown("btnSetInfo") && !ui.shown("btnSetStaic"));
    }

    // The same, with the mask and gateway the camera already has: the forced address is
    // still made persistent.
    void forcedAddressIsPersistentWithUnchangedMask()
    {
        emulator::CameraConfig config = camera("192.168.7.20", "255.255.255.0", "CAM-OUT", "S8", 8);
        config.gateway = HostIp("192.168.1.1");
        config.ipConfig = gvcp::IPCFG_LLA;
        auto cam = start(0, 0, config);
        QVERIFY(cam->IsRunning());

        WindowDriver ui;
        QVERIFY(ui.waitIdle());
        ui.clickRow(ui.cameraRow(0, "192.168.7.20"), 0);
        QCOMPARE(ui.text("label_2"), QString("Unknown connect error"));
        ui.setAddress("frMIP", "192.168.1.60");
        ui.setAddress("frMSUB", "255.255.255.0");
        ui.setAddress("frMMask", "192.168.1.1");
        ui.clickButton("btnSetStaic");
        QVERIFY(ui.waitIdle());
        QCOMPARE(cam->Register(gvcp::REG_PERSISTENT_IP), HostIp("192.168.1.60"));
        QVERIFY(cam->Register(gvcp::REG_IP_CONFIGURATION) & gvcp::IPCFG_PERSISTENT);
        QCOMPARE(ui.cameraTexts(0), QStringList{"192.168.1.60-CAM-OUT S8"});
    }

    // An incomplete or unusable address is not forced onto a camera, nor one the probe finds
    // taken, nor one outside gv0's subnet when the user answers No: the camera keeps its
    // address and registers.
    void unusableAddressesAreNotForced()
    {
        auto cam = start(0, 0, camera("169.254.3.4", "255.255.0.0", "CAM-X", "SX", 7));
        QVERIFY(cam->IsRunning());
        const QList<uint32_t> registers = persistentSettings(*cam);
        WindowDriver ui;
        QVERIFY(ui.waitIdle());
        ui.clickRow(ui.cameraRow(0, "169.254.3.4"), 0);
        ui.setAddress("frMIP", "192.168.1.70");
        ui.setAddress("frMSUB", "255.255.255.0");
        ui.clearOctet("frMMask", 3);
        cam->ClearCommands();
        ui.clickButton("btnSetStaic");
        QVERIFY(ui.waitIdle());
        QCOMPARE(ui.boxes(),
                 QStringList{"Error: Please enter the whole IP address, subnet mask and gateway"});

        ui.setAddress("frMMask", "0.0.0.0");
        // The boxes one attempt brings up.
        auto force = [&ui](const char* ip, const char* mask) {
            ui.setAddress("frMIP", ip);
            ui.setAddress("frMSUB", mask);
            ui.clearBoxes();
            ui.clickButton("btnSetStaic");
            return ui.waitIdle() ? ui.boxes() : QStringList{"still busy"};
        };
        // The PC's own address, and the broadcast address of its /24 under a /8 mask.
        QCOMPARE(force("192.168.1.5", "255.255.255.0"),
                 QStringList{"Error: 192.168.1.5 is the address of this PC's interface gv0."});
        QCOMPARE(force("192.168.1.255", "255.0.0.0"),
                 QStringList{"Error: 192.168.1.255 is not a camera address: it is the broadcast "
                             "address of subnet 192.168.1.0/24 of this PC's interface gv0."});
        // Held by a host that is no camera: the probe finds it after the confirmation.
        const QStringList taken = force("192.168.1.77", "255.255.255.0");
        QCOMPARE(taken.size(), 2);
        QCOMPARE(taken[0], QString("Confirm: Do you want to change IP Setting???"));
        QVERIFY2(taken[1].startsWith("Error: 192.168.1.77 is already in use: a device with MAC ") &&
                     taken[1].endsWith(" answered there."),
                 qPrintable(taken[1]));
        QVERIFY(ui.boxTexts().last().endsWith("\nNothing was written to the camera."));
        // Outside gv0's subnet: Yes to the first question, No to the confirmation.
        ui.answerNextQuestion(QMessageBox::Yes);
        ui.answerNextQuestion(QMessageBox::No);
        QCOMPARE(force("192.168.7.20", "255.255.255.0"),
                 (QStringList{"Confirm: 192.168.7.20 is outside the subnet of interface gv0 "
                              "(192.168.1.0/24): the camera will not be reachable from this "
                              "interface.",
                              "Confirm: Do you want to change IP Setting???"}));

        QVERIFY(cam->Commands().empty());
        QCOMPARE(cam->Ip(), HostIp("169.254.3.4"));
        QCOMPARE(persistentSettings(*cam), registers);
    }
};

QTEST_MAIN(ConfiguratorWindowTest)
#include "tst_configurator_window.moc"
