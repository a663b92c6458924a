// The register dialog against a simulated camera: hex input (malformed text refused), the status
// line, the list of documented registers, keypad Enter.
#include <QComboBox>
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
    void malformedInputIsRefused();
    void failuresAreShown();
    void documentedRegistersAreOffered();
    void keypadEnterActsOnFocusedField();

private:
    void press(QWidget* focus, Qt::Key key);
    QString status() const { return m_dlg->findChild<QLabel*>(QStringLiteral("laStatus"))->text(); }
    static quint32 hex(const QString& text, bool* ok)
    {
        quint32 value = 0xBAD;
        *ok = AccessRegister::parseHex(text, &value);
        return value;
    }

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
    QCOMPARE(m_addr->maxLength(), 10); // eight digits after an optional 0x
    QVERIFY(m_addr->text().isEmpty() && m_data->text().isEmpty() && status().isEmpty());

    bool ok = false;
    QCOMPARE(hex(QStringLiteral("10"), &ok), 16u);
    QVERIFY(ok);
    QCOMPARE(hex(QStringLiteral("0x10"), &ok), 16u);
    QCOMPARE(hex(QStringLiteral("  0X1f "), &ok), 31u);
    QCOMPARE(hex(QStringLiteral("fffffffc"), &ok), 4294967292u);
    QCOMPARE(hex(QStringLiteral("0xFFFFFFFF"), &ok), 0xFFFFFFFFu);
    QVERIFY(ok);
    for (const char* bad : {"", "zz", "12G4", "0x", "0xg", "-1", "123456789", "1 0"}) {
        QCOMPARE(hex(QLatin1String(bad), &ok), 0xBADu);
        QVERIFY2(!ok, bad);
    }
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
    m_addr->setText(QStringLiteral("fffffffc"));
    read->click();
    QCOMPARE(SdkSpy::calls().registerReads, QList<quint32>({kVersion, kVersion, 4294967292u}));

    QCOMPARE(OrvantaWriteRegiser(m_handle, kScratch, 255), int(ORVANTA_OK));
    m_addr->setText(QStringLiteral("20000"));
    read->click();
    QCOMPARE(m_data->text(), QStringLiteral("000000FF"));
}

void TstAccessRegister::malformedInputIsRefused()
{
    auto* write = m_dlg->findChild<QPushButton*>(QStringLiteral("btnWrite"));
    m_addr->setText(QStringLiteral("20000"));
    m_data->setText(QStringLiteral("12G4"));
    write->click();
    QCOMPARE(status(),
             QStringLiteral("Data: \"12G4\" is not a hexadecimal number: nothing written"));
    m_data->clear();
    write->click();
    QCOMPARE(status(), QStringLiteral("Data: no value typed: nothing written"));
    m_addr->setText(QStringLiteral("zz"));
    m_data->setText(QStringLiteral("1"));
    write->click();
    QCOMPARE(status(),
             QStringLiteral("Address: \"zz\" is not a hexadecimal number: nothing written"));
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"))->click();
    QCOMPARE(status(), QStringLiteral("Address: \"zz\" is not a hexadecimal number: nothing read"));
    QVERIFY(SdkSpy::calls().registerWrites.isEmpty());
    QVERIFY(SdkSpy::calls().registerReads.isEmpty());

    m_addr->setText(QStringLiteral("0x20000"));
    m_data->setText(QStringLiteral("0x12"));
    write->click();
    QCOMPARE(SdkSpy::calls().registerWrites, (QList<QPair<quint32, quint32>>{{kScratch, 0x12u}}));
    QCOMPARE(status(), QStringLiteral("Write 0x00000012 to 0x00020000 done"));
}

void TstAccessRegister::failuresAreShown()
{
    // Register 4 does not exist: no made-up 00000000, and the status line names the failure.
    m_data->setText(QStringLiteral("1234"));
    m_addr->setText(QStringLiteral("4"));
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"))->click();
    QCOMPARE(m_data->text(), QString());
    QCOMPARE(status(), QStringLiteral("Read 0x00000004 failed: ") +
                           QString::fromUtf8(OrvantaStatusText(ORVANTA_ERR_NO_REGISTER)));

    m_addr->setText(QStringLiteral("10")); // read-only
    m_data->setText(QStringLiteral("1"));
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnWrite"))->click();
    QVERIFY(status().startsWith(QStringLiteral("Write 0x00000001 to 0x00000010 failed: ")));

    m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"))->click();
    QCOMPARE(status(), QStringLiteral("Read 0x00000010 done"));
    QCOMPARE(m_data->text(), QStringLiteral("00010000"));
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Access Register")); // never the title
}

void TstAccessRegister::documentedRegistersAreOffered()
{
    auto* known = m_dlg->findChild<QComboBox*>(QStringLiteral("cmbRegister"));
    QCOMPARE(known->count(), 15);
    const int gain = known->findData(quint32(ORVANTA_REG_GAIN));
    QVERIFY(known->itemText(gain).contains(QLatin1String("Gain")));
    simtest::chooseItem(known, known->itemText(gain));
    QCOMPARE(m_addr->text(), QStringLiteral("00010010"));
    m_dlg->findChild<QPushButton*>(QStringLiteral("btnRead"))->click();
    QCOMPARE(m_data->text(), AccessRegister::formatHex(quint32(m_camera->gain())));
    // Every documented register of the simulated camera answers a read.
    for (int i = 0; i < known->count(); ++i) {
        uint32_t value = 0;
        QCOMPARE(OrvantaReadRegister(m_handle, known->itemData(i).toUInt(), &value),
                 int(ORVANTA_OK));
    }
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
