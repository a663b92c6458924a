// The node editor of the feature tree dock against a simulated colour camera: what a click
// shows, what Enter writes (clamping, refusing text of another type, both said in the dock),
// which reload signals follow, the tree items' tool tips, and the filter field that narrows the
// tree.
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include "sdkspy.h"
#include "simcamera.h"
#include "treemodel.h"
#include "xmlctrl.h"

namespace {
// Records the dock's reload signals in the order they arrive.
class ReloadRecorder
{
public:
    explicit ReloadRecorder(XMLCtrl* dock)
    {
        QObject::connect(dock, &XMLCtrl::sigUpdateFeatureInfo, [this](bool update) {
            names << (update ? QStringLiteral("feature(true)") : QStringLiteral("feature"));
        });
        QObject::connect(dock, &XMLCtrl::sigUpdateVideoInfo, [this] { names << "video"; });
        QObject::connect(dock, &XMLCtrl::sigUpdateTriggerInfo, [this] { names << "trigger"; });
        QObject::connect(dock, &XMLCtrl::sigUpdateStrobeInfo, [this] { names << "strobe"; });
        QObject::connect(dock, &XMLCtrl::sigUpdateUSerSetInfo, [this] { names << "userset"; });
    }
    QStringList take() { return std::exchange(names, {}); }

private:
    QStringList names;
};
} // namespace

class TstXmlCtrl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void categoryHidesEditor();
    void readOnlyNodesShownDisabled();
    void failedReadDisablesEditor();
    void addressNodesShownDotted();
    void integerEntryClampsAsUnsigned();
    void signedRangeClampsSigned();
    void addressEntryKeepsAddress();
    void floatEntryClamps();
    void booleanAndStringEntry();
    void bothEnterKeysWrite();
    void enumerationChoiceAndReloads();
    void valueReloadsFollowNameRules();
    void commandsAndUserSetLoad();
    void nothingReachesCameraWithoutHandle();
    void sizeNodesLockedWhileStreaming();
    void filterNarrowsTreeToMatchesWithCategories();
    void selectionAndEditorWorkThroughFilter();
    void toolTipsDescribeTheNode();

private:
    void rebuildTree() { m_dock->CreateXMLTree(m_handle); }
    void select(const QString& name);
    void enter(const QString& text, Qt::Key key = Qt::Key_Enter);
    void typeFilter(const QString& text);
    void pressEscapeInFilter();
    QStringList shownTree() const;
    void addNode(const char* parent, const char* name, int type)
    {
        m_camera->add(parent, QString::fromLatin1(name), type);
    }
    QString status() const
    {
        return m_dock->findChild<QLabel*>(QStringLiteral("laXMLStatus"))->text();
    }
    qint64 lastIntWrite() const
    {
        const auto writes = SdkSpy::calls().intWrites;
        return writes.isEmpty() ? -12345 : writes.last().second;
    }

    std::unique_ptr<simtest::Camera> m_camera;
    OrvantaHandle m_handle = nullptr;
    std::unique_ptr<XMLCtrl> m_dock;
    QTreeView* m_view = nullptr;
    QLineEdit* m_filter = nullptr;
    QLineEdit* m_edit = nullptr;
    QComboBox* m_combo = nullptr;
    QPushButton* m_button = nullptr;
};

void TstXmlCtrl::initTestCase()
{
    simtest::initSimulatedOnly();
}

void TstXmlCtrl::cleanupTestCase()
{
    OrvantaUninit();
}

void TstXmlCtrl::init()
{
    SdkSpy::reset();
    m_camera = std::make_unique<simtest::Camera>("color");
    QVERIFY(m_camera->isOpen());
    m_handle = m_camera->handle();
    m_dock = std::make_unique<XMLCtrl>(&m_camera->session());
    m_edit = m_dock->findChild<QLineEdit*>(QStringLiteral("edXMLValue"));
    m_combo = m_dock->findChild<QComboBox*>(QStringLiteral("cmbXMLValue"));
    m_button = m_dock->findChild<QPushButton*>(QStringLiteral("btnXMLExcute"));
    m_view = m_dock->findChild<QTreeView*>(QStringLiteral("treeXML"));
    m_filter = m_dock->findChild<QLineEdit*>(QStringLiteral("edXMLFilter"));
    QVERIFY(m_edit && m_combo && m_button && m_view && m_filter);
    m_dock->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dock.get()));
    rebuildTree();
}

void TstXmlCtrl::cleanup()
{
    m_dock.reset();
    m_camera.reset();
}

void TstXmlCtrl::select(const QString& name)
{
    TreeModel* model = m_dock->model();
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1,
                                               Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    auto* view = m_dock->findChild<QTreeView*>(QStringLiteral("treeXML"));
    emit view->clicked(found.first());
    QCOMPARE(m_dock->currentNodeName(), name);
}

void TstXmlCtrl::typeFilter(const QString& text)
{
    m_filter->setFocus();
    m_filter->clear();
    QTest::keyClicks(m_filter, text);
}

// Waits for the field's clear button to fade out and hide: a fade animation still running when
// the field goes is never freed.
void TstXmlCtrl::pressEscapeInFilter()
{
    QTest::keyClick(m_filter, Qt::Key_Escape);
    auto* clearButton = m_filter->findChild<QToolButton*>();
    QVERIFY(clearButton);
    QTRY_VERIFY(clearButton->isHidden());
}

// The view's rows as "Category/Node" paths, depth first.
QStringList TstXmlCtrl::shownTree() const
{
    QStringList paths;
    const QAbstractItemModel* model = m_view->model();
    std::function<void(const QModelIndex&, const QString&)> walk = [&](const QModelIndex& parent,
                                                                       const QString& prefix) {
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            paths << prefix + index.data().toString();
            walk(index, paths.last() + QLatin1Char('/'));
        }
    };
    walk(QModelIndex(), QString());
    return paths;
}

void TstXmlCtrl::enter(const QString& text, Qt::Key key)
{
    m_edit->setText(text);
    m_edit->setFocus();
    QCOMPARE(m_dock->focusWidget(), m_edit);
    QTest::keyClick(m_edit, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
}

void TstXmlCtrl::categoryHidesEditor()
{
    const char* widgets[] = {"laXMLValue",  "edXMLValue",  "laXMLEnum",
                             "cmbXMLValue", "laXMLExcute", "btnXMLExcute"};
    auto shown = [&] {
        QStringList names;
        for (const char* w : widgets)
            if (!m_dock->findChild<QWidget*>(QLatin1String(w))->isHidden())
                names << QLatin1String(w);
        return names;
    };
    QCOMPARE(shown(), QStringList()); // the editor starts hidden
    QCOMPARE(m_dock->currentNodeType(), -1);
    QCOMPARE(m_dock->findChild<QLabel*>(QStringLiteral("laXMLEnum"))->text(),
             QStringLiteral("Enumeration : "));
    QCOMPARE(m_button->text(), QStringLiteral("Excute"));
    QCOMPARE(m_dock->windowTitle(), QStringLiteral("XML Control"));

    select(QStringLiteral("Gain"));
    QCOMPARE(shown(), QStringList({"laXMLValue", "edXMLValue"}));
    QCOMPARE(m_edit->text(), QStringLiteral("0"));
    QVERIFY(m_edit->isEnabled());
    select(QStringLiteral("PixelFormat"));
    QCOMPARE(shown(), QStringList({"laXMLEnum", "cmbXMLValue"}));
    select(QStringLiteral("UserSetLoad"));
    QCOMPARE(shown(), QStringList({"laXMLExcute", "btnXMLExcute"}));
    select(QStringLiteral("AnalogControl"));
    QCOMPARE(shown(), QStringList());
    QCOMPARE(m_dock->currentNodeType(), int(ORVANTA_NODE_CATEGORY));
}

void TstXmlCtrl::readOnlyNodesShownDisabled()
{
    select(QStringLiteral("SensorWidth"));
    QVERIFY(!m_edit->isHidden());
    QVERIFY(!m_edit->isEnabled());
    QCOMPARE(m_edit->text(), QStringLiteral("2448"));

    SdkSpy::forceAccess(QStringLiteral("PixelFormat"), ORVANTA_ACCESS_READ_ONLY);
    select(QStringLiteral("PixelFormat"));
    QVERIFY(!m_combo->isEnabled());
    QVERIFY(!m_combo->isEditable());
    QCOMPARE(m_combo->count(), 4);
    QCOMPARE(m_combo->currentText(), QStringLiteral("BayerGR8"));

    select(QStringLiteral("DeviceTemperature"));
    QVERIFY(!m_edit->isEnabled());
    QCOMPARE(m_edit->text(), QStringLiteral("41.5"));
    select(QStringLiteral("DeviceModelName"));
    QVERIFY(!m_edit->isEnabled());
    QVERIFY(!m_edit->text().isEmpty());
}

void TstXmlCtrl::failedReadDisablesEditor()
{
    select(QStringLiteral("Gain"));
    QCOMPARE(m_edit->text(), QStringLiteral("0"));
    SdkSpy::failReads(QStringLiteral("BlackLevel"));
    select(QStringLiteral("BlackLevel"));
    QVERIFY(!m_edit->isEnabled());
    QCOMPARE(m_edit->text(), QStringLiteral("0")); // previous text stays

    SdkSpy::failReads(QStringLiteral("GainAuto"));
    select(QStringLiteral("GainAuto"));
    QVERIFY(!m_combo->isHidden());
    QCOMPARE(m_combo->count(), 0);
    QVERIFY(!m_combo->isEnabled());
    QVERIFY(!m_combo->isEditable());
}

void TstXmlCtrl::addressNodesShownDotted()
{
    addNode("TransportLayerControl", "GevSCDAx", ORVANTA_NODE_INTEGER);
    QCOMPARE(OrvantaSetNodeInt(m_handle, "GevSCDAx", 100), int(ORVANTA_OK));
    rebuildTree();

    select(QStringLiteral("GevSCDA")); // 3232235777
    QCOMPARE(m_edit->text(), QStringLiteral("192.168.1.1"));
    select(QStringLiteral("GevPersistentIPAddress"));
    QCOMPARE(m_edit->text(), QStringLiteral("192.168.1.10"));
    select(QStringLiteral("GevPersistentSubnetMask"));
    QCOMPARE(m_edit->text(), QStringLiteral("255.255.255.0"));
    select(QStringLiteral("GevSCDAx"));
    QCOMPARE(m_edit->text(), QStringLiteral("100"));
    select(QStringLiteral("GevCurrentIPAddress")); // neither rule: signed decimal
    QCOMPARE(m_edit->text(), QString::number(qint32(0xC0A8010A)));
}

void TstXmlCtrl::integerEntryClampsAsUnsigned()
{
    select(QStringLiteral("RedGain")); // 64 .. 4095
    enter(QStringLiteral("5000"));
    QCOMPARE(lastIntWrite(), 4095);
    QCOMPARE(m_edit->text(), QStringLiteral("4095"));
    QCOMPARE(status(), QStringLiteral("RedGain: 5000 is outside 64 ~ 4095: clamped to 4095"));
    enter(QStringLiteral("-1")); // as unsigned 32-bit it is above the maximum
    QCOMPARE(lastIntWrite(), 4095);
    enter(QStringLiteral("5000000000")); // beyond 32 bits: clamped, not cut to its low bits
    QCOMPARE(lastIntWrite(), 4095);
    enter(QStringLiteral("2000"));
    QCOMPARE(lastIntWrite(), 2000);
    QCOMPARE(m_edit->text(), QStringLiteral("2000"));
    QCOMPARE(status(), QString());
    enter(QStringLiteral("10"));
    QCOMPARE(lastIntWrite(), 64);
    QCOMPARE(SdkSpy::calls().intWrites.size(), 5);

    // Text that is no whole number writes nothing and says so; the node's value is shown again.
    ReloadRecorder reloads(m_dock.get());
    for (const char* text : {"abc", "12.5", "99999999999999999999", ""}) {
        enter(QLatin1String(text));
        QCOMPARE(m_edit->text(), QStringLiteral("64"));
    }
    QCOMPARE(SdkSpy::calls().intWrites.size(), 5);
    QCOMPARE(reloads.take(), QStringList());
    QCOMPARE(status(), QStringLiteral("RedGain: no value typed: nothing written"));
    enter(QStringLiteral("abc"));
    QCOMPARE(status(), QStringLiteral("RedGain: \"abc\" is not a whole number: nothing written"));
}

void TstXmlCtrl::signedRangeClampsSigned()
{
    // A negative minimum makes the range signed: 5 lies inside -100 .. 100.
    SdkSpy::forceIntRange(QStringLiteral("BlackLevel"), -100, 100);
    select(QStringLiteral("BlackLevel"));
    enter(QStringLiteral("5"));
    QCOMPARE(lastIntWrite(), 5);
    enter(QStringLiteral("-300"));
    QCOMPARE(lastIntWrite(), -100);
}

void TstXmlCtrl::addressEntryKeepsAddress()
{
    select(QStringLiteral("GevPersistentIPAddress"));
    enter(QStringLiteral("10.0.0.7"));
    QCOMPARE(lastIntWrite(), qint64(0x0A000007));
    QCOMPARE(m_edit->text(), QStringLiteral("10.0.0.7"));
    enter(QStringLiteral("300.1.2.3")); // not an address: nothing written, value shown again
    QCOMPARE(SdkSpy::calls().intWrites.size(), 1);
    QCOMPARE(m_edit->text(), QStringLiteral("10.0.0.7"));
    QVERIFY(status().contains(QLatin1String("is not an IPv4 address: nothing written")));
    enter(QStringLiteral("3232235777"));
    QCOMPARE(lastIntWrite(), qint64(3232235777));
    QCOMPARE(m_edit->text(), QStringLiteral("192.168.1.1"));
}

void TstXmlCtrl::floatEntryClamps()
{
    addNode("AnalogControl", "TestRatio", ORVANTA_NODE_FLOAT); // range 0 .. 1
    rebuildTree();
    select(QStringLiteral("TestRatio"));
    enter(QStringLiteral("2.5"));
    QCOMPARE(SdkSpy::calls().floatWrites.last().second, 1.0);
    QCOMPARE(m_edit->text(), QStringLiteral("1"));
    QCOMPARE(status(), QStringLiteral("TestRatio: 2.5 is outside 0 ~ 1: clamped to 1"));
    enter(QStringLiteral("0.1234567"));
    QCOMPARE(m_edit->text(), QStringLiteral("0.123457")); // 'g', 6 digits
    enter(QStringLiteral("-3"));
    QCOMPARE(SdkSpy::calls().floatWrites.last().second, 0.0);
    const int writes = SdkSpy::calls().floatWrites.size();
    enter(QStringLiteral("nan"));
    enter(QStringLiteral("0,5x"));
    QCOMPARE(SdkSpy::calls().floatWrites.size(), writes);
    QVERIFY(status().endsWith(QLatin1String("is not a number: nothing written")));

    select(QStringLiteral("ExposureTime"));
    enter(QStringLiteral("1e9"));
    QCOMPARE(SdkSpy::calls().floatWrites.last().second, 2000000.0);
    QCOMPARE(m_edit->text(), QStringLiteral("2e+06"));
}

void TstXmlCtrl::booleanAndStringEntry()
{
    select(QStringLiteral("AcquisitionFrameRateEnable"));
    QCOMPARE(m_edit->text(), QStringLiteral("1"));
    enter(QStringLiteral("yes"));
    QVERIFY(SdkSpy::calls().boolWrites.isEmpty());
    QCOMPARE(m_edit->text(), QStringLiteral("1"));
    QVERIFY(status().contains(QLatin1String("is not 0 or 1")));
    enter(QStringLiteral("False"));
    QCOMPARE(SdkSpy::calls().boolWrites.last().second, false);
    QCOMPARE(m_edit->text(), QStringLiteral("0"));
    enter(QStringLiteral("7"));
    QCOMPARE(SdkSpy::calls().boolWrites.last().second, true);
    QCOMPARE(m_edit->text(), QStringLiteral("1"));
    enter(QStringLiteral("0"));
    QCOMPARE(SdkSpy::calls().boolWrites.last().second, false);

    select(QStringLiteral("DeviceUserID"));
    enter(QStringLiteral("line-3 Ü"));
    QCOMPARE(m_edit->text(), QStringLiteral("line-3 Ü")); // round trip keeps the text
    char stored[ORVANTA_NODE_TEXT_SIZE] = {};
    QCOMPARE(OrvantaGetNodeString(m_handle, "DeviceUserID", stored), int(ORVANTA_OK));
    QCOMPARE(QString::fromUtf8(stored), QStringLiteral("line-3 Ü"));
}

void TstXmlCtrl::bothEnterKeysWrite()
{
    ReloadRecorder reloads(m_dock.get());
    select(QStringLiteral("Gain"));
    enter(QStringLiteral("18"), Qt::Key_Escape);
    QVERIFY(SdkSpy::calls().intWrites.isEmpty());
    QCOMPARE(reloads.take(), QStringList());

    // Enter with the focus elsewhere writes nothing either.
    m_edit->setText(QStringLiteral("19"));
    m_dock->findChild<QTreeView*>(QStringLiteral("treeXML"))->setFocus();
    QTest::keyClick(m_dock->focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(m_dock->focusWidget(), Qt::Key_Return);
    QVERIFY(SdkSpy::calls().intWrites.isEmpty());

    enter(QStringLiteral("17"), Qt::Key_Return); // the main keyboard's key
    QCOMPARE(lastIntWrite(), 17);
    QCOMPARE(reloads.take(), QStringList{"feature"});
    enter(QStringLiteral("16")); // the keypad's
    QCOMPARE(lastIntWrite(), 16);
    int gain = -1;
    bool autoOn = true;
    QCOMPARE(OrvantaGetGain(m_handle, &gain, &autoOn), int(ORVANTA_OK));
    QCOMPARE(gain, 16);
}

void TstXmlCtrl::enumerationChoiceAndReloads()
{
    ReloadRecorder reloads(m_dock.get());
    auto choose = [&](const QString& node, const QString& entry) {
        select(node);
        QMetaObject::invokeMethod(m_dock.get(), "on_cmbXMLValue_activated", Q_ARG(QString, entry));
    };
    choose(QStringLiteral("ExposureMode"), QStringLiteral("Timed"));
    QCOMPARE(reloads.take(), QStringList{"trigger"});
    choose(QStringLiteral("PixelFormat"), QStringLiteral("BayerGR12"));
    QCOMPARE(reloads.take(), QStringList{"video"});
    QCOMPARE(m_combo->currentText(), QStringLiteral("BayerGR12"));
    choose(QStringLiteral("BalanceWhiteAuto"), QStringLiteral("Once"));
    QCOMPARE(reloads.take(), QStringList{"feature"});
    choose(QStringLiteral("TimerTriggerSource"), QStringLiteral("FrameTrigger"));
    QCOMPARE(reloads.take(), QStringList({"trigger", "strobe"}));
    choose(QStringLiteral("UserSetSelector"), QStringLiteral("UserSet1"));
    QCOMPARE(reloads.take(), QStringList());

    choose(QStringLiteral("TriggerMode"), QStringLiteral("On"));
    QCOMPARE(SdkSpy::calls().stringWrites.last(),
             qMakePair(QStringLiteral("TriggerMode"), QStringLiteral("On")));
    QCOMPARE(m_combo->currentText(), QStringLiteral("On"));
    // A refused entry is not left on screen: the combo shows the camera's entry again.
    choose(QStringLiteral("TriggerMode"), QStringLiteral("Sideways"));
    QCOMPARE(m_combo->currentText(), QStringLiteral("On"));
    QCOMPARE(m_combo->count(), 2);
}

void TstXmlCtrl::valueReloadsFollowNameRules()
{
    addNode("AnalogControl", "GainTriggerTimerUserSetWidth", ORVANTA_NODE_INTEGER);
    addNode("AnalogControl", "HueSaturationContrast", ORVANTA_NODE_INTEGER);
    rebuildTree();
    ReloadRecorder reloads(m_dock.get());
    const QList<QPair<QString, QStringList>> cases = {
        {"Gain", {"feature"}},
        {"Width", {"video"}},
        {"TriggerDelay", {"trigger"}},
        {"TimerDelay", {"strobe"}},
        {"AutoExposureTarget", {"feature"}},
        {"AcquisitionFrameRate", {"video"}},
        {"HueSaturationContrast", {"feature"}},
        {"GainTriggerTimerUserSetWidth", {"feature", "trigger", "strobe", "userset", "video"}},
        {"GevSCPSPacketSize", {}},
        {"DeviceUserID", {}},
    };
    for (const auto& c : cases) {
        select(c.first);
        enter(m_edit->text());
        QCOMPARE(reloads.take(), c.second);
    }
}

void TstXmlCtrl::commandsAndUserSetLoad()
{
    ReloadRecorder reloads(m_dock.get());
    select(QStringLiteral("UserSetSave"));
    QVERIFY(m_button->isEnabled()); // commands are write-only nodes, yet executable
    m_button->click();
    QCOMPARE(SdkSpy::calls().commands, QStringList{"UserSetSave"});
    QCOMPARE(reloads.take(), QStringList());

    // Without a running stream the load runs without stopping or starting anything.
    select(QStringLiteral("UserSetLoad"));
    m_button->click();
    QCOMPARE(SdkSpy::calls().commands, QStringList({"UserSetSave", "UserSetLoad"}));
    QCOMPARE(reloads.take(), QStringList({"feature", "video", "trigger", "strobe", "userset"}));
}

void TstXmlCtrl::nothingReachesCameraWithoutHandle()
{
    select(QStringLiteral("Gain"));
    m_dock->DeleteXMLTree();
    ReloadRecorder reloads(m_dock.get());
    SdkSpy::reset();
    enter(QStringLiteral("5"));
    m_button->click();
    QMetaObject::invokeMethod(m_dock.get(), "on_cmbXMLValue_activated", Q_ARG(QString, "On"));
    const SdkSpy::Calls calls = SdkSpy::calls();
    QVERIFY(calls.intWrites.isEmpty());
    QVERIFY(calls.commands.isEmpty());
    QVERIFY(calls.stringWrites.isEmpty());
    QCOMPARE(reloads.take(), QStringList());
    QCOMPARE(m_edit->text(), QStringLiteral("5")); // no made-up read-back value
    // The editor state survives the close until the next click.
    QCOMPARE(m_dock->currentNodeName(), QStringLiteral("Gain"));
    QVERIFY(!m_edit->isHidden());
}

void TstXmlCtrl::sizeNodesLockedWhileStreaming()
{
    select(QStringLiteral("Width"));
    m_dock->UpdateAcqState(true);
    QVERIFY(!m_edit->isEnabled());
    m_dock->UpdateAcqState(false);
    QVERIFY(m_edit->isEnabled());

    select(QStringLiteral("Gain"));
    m_dock->UpdateAcqState(true);
    QVERIFY(m_edit->isEnabled());

    select(QStringLiteral("PixelFormat"));
    m_dock->UpdateAcqState(true);
    QVERIFY(!m_combo->isEnabled());
    m_dock->UpdateAcqState(false);
    QVERIFY(m_combo->isEnabled());

    // Unlocking never makes a read-only node editable.
    SdkSpy::forceAccess(QStringLiteral("Height"), ORVANTA_ACCESS_READ_ONLY);
    select(QStringLiteral("Height"));
    m_dock->UpdateAcqState(false);
    QVERIFY(!m_edit->isEnabled());
}

void TstXmlCtrl::toolTipsDescribeTheNode()
{
    auto tip = [&](const QString& name) {
        TreeModel* model = m_dock->model();
        const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1,
                                                   Qt::MatchExactly | Qt::MatchRecursive);
        return found.value(0).data(Qt::ToolTipRole).toString();
    };
    QCOMPARE(tip(QStringLiteral("AutoExposureTarget")),
             QStringLiteral("<b>AutoExposureTarget</b><br>Integer, read-write<br>"
                            "Range: 0 ~ 100, increment 1<br>"
                            "Brightness the automatic exposure and gain aim at"));
    QCOMPARE(tip(QStringLiteral("ExposureTime")),
             QStringLiteral("<b>ExposureTime</b><br>Float, read-write<br>Range: 50 ~ 2e+06<br>"
                            "Unit: us"));
    QCOMPARE(tip(QStringLiteral("DeviceModelName")),
             QStringLiteral("<b>DeviceModelName</b><br>String, read-only"));
    QCOMPARE(tip(QStringLiteral("AnalogControl")),
             QStringLiteral("<b>AnalogControl</b><br>Category"));
}

QTEST_MAIN(TstXmlCtrl)
#include "tst_xmlctrl.moc"

void TstXmlCtrl::filterNarrowsTreeToMatchesWithCategories()
{
    QAbstractItemModelTester tester(m_view->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QStringList full = shownTree();
    typeFilter(QStringLiteral("exposure"));
    QCOMPARE(shownTree(),
             QStringList({"AcquisitionControl", "AcquisitionControl/ExposureMode",
                          "AcquisitionControl/ExposureTime", "AcquisitionControl/ExposureAuto",
                          "AcquisitionControl/AutoExposureTarget"}));
    QVERIFY(m_view->isExpanded(m_view->model()->index(0, 0)));
    // A sub-category keeps both its parents; a category that matches keeps only its matches.
    typeFilter(QStringLiteral("TEMPERATUREMAX"));
    QCOMPARE(shownTree(), QStringList({"DeviceControl", "DeviceControl/DeviceTemperatureRange",
                                       "DeviceControl/DeviceTemperatureRange/"
                                       "DeviceTemperatureMax"}));
    typeFilter(QStringLiteral("nothing like it"));
    QCOMPARE(shownTree(), QStringList());
    // A new camera's tree is filtered too; Escape shows the whole tree again.
    rebuildTree();
    QCOMPARE(shownTree(), QStringList());
    pressEscapeInFilter();
    QCOMPARE(m_filter->text(), QString());
    QCOMPARE(shownTree(), full);
    m_dock->DeleteXMLTree();
    QCOMPARE(shownTree(), QStringList());
}

void TstXmlCtrl::selectionAndEditorWorkThroughFilter()
{
    typeFilter(QStringLiteral("exposuretime"));
    const QModelIndex shown =
        m_view->model()->index(0, 0, m_view->model()->index(0, 0)); // under its category
    QCOMPARE(shown.data().toString(), QStringLiteral("ExposureTime"));
    m_view->setCurrentIndex(shown);
    emit m_view->clicked(shown);
    QCOMPARE(m_dock->currentNodeName(), QStringLiteral("ExposureTime"));
    QCOMPARE(m_edit->text(), QStringLiteral("10000"));
    enter(QStringLiteral("2500"));
    NodeFloatInfo exposure{};
    OrvantaGetNodeFloat(m_handle, "ExposureTime", &exposure);
    QCOMPARE(exposure.value, 2500.0);
    // Cleared, the tree still has the node selected and in sight.
    m_filter->setFocus();
    pressEscapeInFilter();
    QCOMPARE(m_view->currentIndex().data().toString(), QStringLiteral("ExposureTime"));
    QVERIFY(m_view->isExpanded(m_view->currentIndex().parent()));
}
