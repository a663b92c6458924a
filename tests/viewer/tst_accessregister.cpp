// The register dialog against a simulated camera: hex parsing, display, keypad Enter.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "accessregister.h"
#include "sdkspy.h"
#include "simcamera.h"

namespace {
constexpr quint32 kScratch = 0x20000; // free read-write register of the simulated cameras
constexpr quint32 kVersion = 0x10;    // read-only device version, 0x00010000
} // namespace

class TstAccessRegister : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void formAndParsing();
    void readParsesAddressAsHex();
    void writeStopsAtFirstNonDigit();
    void failuresAreShown();
    void keypadEnterActsOnFocusedField();

private:
    void press(QWidget* focus, Qt::Key key);

    std::unique_ptr<simtest::Camera> m_camera;
    OrvantaHandle m_handle = nullptr;
    std::unique_ptr<AccessRegister> m_dlg;
    QLineEdit* m_addr = nullptr;
    QLineEdit* m_data = nullptr;
};

void TstAccessRegister::initTestCase()
{
    simtest::initSimulatedOnly();
}

void TstAccessRegister::cleanupTestCase()
{
    OrvantaUninit();
}

void TstAccessRegister::init()
{
    SdkSpy::reset();
    m_camera = std::make_unique<simtest::Camera>("mono");
    QVERIFY(m_camera->isOpen());
    m_handle = m_camera->handle();
    m_dlg = std::make_unique<AccessRegister>(&m_camera->session());
    m_addr = m_dlg->findChild<QLineEdit*>(QStringLiteral("edAddr"));
    m_data = m_dlg->findChild<QLineEdit*>(QStringLiteral("edData"));
    QVERIFY(m_addr && m_data);
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
}

void TstAccessRegister::cleanup()
{
    m_dlg.reset();
    m_camera.reset();
}

void TstAccessRegister::press(QWidget* focus, Qt::Key key)
{
    focus->setFocus();
    QCOMPARE(m_dlg->focusWidget(), focus);
    QTest::keyClick(focus, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
}

void TstAccessRegister::formAndParsing()
{
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Access Register"));
    QCOMPARE(m_dlg->size(), QSize(300, 65));
    QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
    QCOMPARE(m_dlg->font().family(), QStringLiteral("Ubuntu"));
    QCOMPARE(m_dlg->findChild<QLabel*>(QStringLiteral("label"))->text(),
             QStringLiteral("Address : 0x"));
    QCOMPARE(m_dlg->findChild<QLabel*>(QStringLiteral("label_2"))->text(),
             QStringLiteral("Data        : 0x"));
    QCOMPARE(m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"))->text(),
             QStringLiteral("READ"));
    QCOMPARE(m_dlg->findChild<QPushButton*>(QStringLiteral("btnWrite"))->text(),
             QStringLiteral("WRITE"));
    QCOMPARE(m_addr->maxLength(), 8);
    QCOMPARE(m_data->maxLength(), 8);
    QVERIFY(m_addr->text().isEmpty() && m_data->text().isEmpty());

    QCOMPARE(AccessRegister::parseHex(QStringLiteral("10")), 16u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("0x10")), 16u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("  0X1f")), 31u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("fffffffc")), 4294967292u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("12G4")), 0x12u);
    QCOMPARE(AccessRegister::parseHex(QString()), 0u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("zz")), 0u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("0x")), 0u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("0xg")), 0u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("-1")), 0u);
    QCOMPARE(AccessRegister::parseHex(QStringLiteral("123456789")), 0xFFFFFFFFu);
    QCOMPARE(AccessRegister::formatHex(255), QStringLiteral("000000FF"));
    QCOMPARE(AccessRegister::formatHex(0xDEADBEEF), QStringLiteral("DEADBEEF"));
    QCOMPARE(AccessRegister::formatHex(0), QStringLiteral("00000000"));
}

void TstAccessRegister::readParsesAddressAsHex()
{
    auto* read = m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"));
    m_addr->setText(QStringLiteral("0x10"));
    read->click();
    QCOMPARE(m_data->text(), QStringLiteral("00010000"));
    m_data->clear();
    m_addr->setText(QStringLiteral("10"));
    read->click();
    QCOMPARE(m_data->text(), QStringLiteral("00010000"));
    m_addr->clear();
    read->click();
    m_addr->setText(QStringLiteral("fffffffc"));
    read->click();
    QCOMPARE(SdkSpy::calls().registerReads, QList<quint32>({kVersion, kVersion, 0u, 4294967292u}));

    QCOMPARE(OrvantaWriteRegiser(m_handle, kScratch, 255), int(ORVANTA_OK));
    m_addr->setText(QStringLiteral("20000"));
    read->click();
    QCOMPARE(m_data->text(), QStringLiteral("000000FF"));
}

void TstAccessRegister::writeStopsAtFirstNonDigit()
{
    m_addr->setText(QStringLiteral("20000"));
    m_data->setText(QStringLiteral("12G4"));
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnWrite"))->click();
    QCOMPARE(SdkSpy::calls().registerWrites, (QList<QPair<quint32, quint32>>{{kScratch, 0x12u}}));
    QCOMPARE(m_data->text(), QStringLiteral("12G4")); // nothing is shown after a write
    uint32_t value = 0;
    QCOMPARE(OrvantaReadRegister(m_handle, kScratch, &value), int(ORVANTA_OK));
    QCOMPARE(value, 0x12u);

    m_data->clear();
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnWrite"))->click();
    QCOMPARE(SdkSpy::calls().registerWrites.last(), qMakePair(kScratch, 0u));
}

void TstAccessRegister::failuresAreShown()
{
    // Register 0 does not exist: no made-up 00000000, and the title names the failure.
    m_data->setText(QStringLiteral("1234"));
    m_addr->clear();
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"))->click();
    QCOMPARE(m_data->text(), QString());
    QVERIFY(m_dlg->windowTitle().startsWith(QStringLiteral("Access Register - read failed")));

    m_addr->setText(QStringLiteral("10")); // read-only
    m_data->setText(QStringLiteral("1"));
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnWrite"))->click();
    QVERIFY(m_dlg->windowTitle().startsWith(QStringLiteral("Access Register - write failed")));

    m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"))->click();
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Access Register"));
    QCOMPARE(m_data->text(), QStringLiteral("00010000"));
}

void TstAccessRegister::keypadEnterActsOnFocusedField()
{
    m_addr->setText(QStringLiteral("20000"));
    m_data->setText(QStringLiteral("abc"));
    press(m_data, Qt::Key_Enter);
    QCOMPARE(SdkSpy::calls().registerWrites, (QList<QPair<quint32, quint32>>{{kScratch, 0xABCu}}));
    QVERIFY(SdkSpy::calls().registerReads.isEmpty());

    m_data->clear();
    press(m_addr, Qt::Key_Enter);
    QCOMPARE(SdkSpy::calls().registerReads, QList<quint32>{kScratch});
    QCOMPARE(m_data->text(), QStringLiteral("00000ABC"));

    // Return, other keys, and keypad Enter on a button do nothing.
    SdkSpy::reset();
    press(m_addr, Qt::Key_Return);
    press(m_data, Qt::Key_Return);
    press(m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead")), Qt::Key_Enter);
    press(m_dlg->findChild<QPushButton*>(QStringLiteral("btnWrite")), Qt::Key_Enter);
    QVERIFY(SdkSpy::calls().registerReads.isEmpty());
    QVERIFY(SdkSpy::calls().registerWrites.isEmpty());
    QVERIFY(m_dlg->isVisible());
}

QTEST_MAIN(TstAccessRegister)
#include "tst_accessregister.moc"
