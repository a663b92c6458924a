// The feature tree: TreeItem's contract, TreeModel over simulated cameras (checked by Qt's own
// model tester), the three-level walk rules and the dock's tree replacement.
#include <QAbstractItemModelTester>
#include <QAbstractProxyModel>
#include <QPointer>
#include <QTreeView>
#include <QtTest>

#include "sdkspy.h"
#include "simcamera.h"
#include "treeitem.h"
#include "treemodel.h"
#include "xmlctrl.h"

namespace {
using SimCamera = simtest::Camera;

QStringList rowNames(const QAbstractItemModel& model, const QModelIndex& parent = {})
{
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.index(row, 0, parent).data().toString();
    return names;
}

QModelIndex rowNamed(const QAbstractItemModel& model, const QString& name,
                     const QModelIndex& parent = {})
{
    const int row = rowNames(model, parent).indexOf(name);
    return row < 0 ? QModelIndex() : model.index(row, 0, parent);
}

const QStringList kHeaders{QStringLiteral("Root")};
} // namespace

class TstTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init() { SdkSpy::reset(); }
    void treeItemContract();
    void modelTesterOverSimulatedCameras_data();
    void modelTesterOverSimulatedCameras();
    void editingUnderModelTester();
    void emptyRootGivesEmptyTree();
    void emptyTopLevelNameIsSkipped();
    void onlyNamedSubCategoriesExpand();
    void fullListFillsCapacity();
    void removingLastColumnRemovesRows();
    void dockReplacesAndDropsTree();
};

void TstTreeModel::initTestCase()
{
    qRegisterMetaType<Qt::Orientation>();
    simtest::initSimulatedOnly();
}

void TstTreeModel::cleanupTestCase()
{
    OrvantaUninit();
}

void TstTreeModel::treeItemContract()
{
    TreeItem root({QStringLiteral("h0"), QStringLiteral("h1")});
    QCOMPARE(root.columnCount(), 2);
    QCOMPARE(root.childNumber(), 0);
    QVERIFY(!root.parent());
    QVERIFY(!root.insertChildren(-1, 1, 2));
    QVERIFY(!root.insertChildren(1, 1, 2));
    QVERIFY(root.insertChildren(0, 0, 2));
    QCOMPARE(root.childCount(), 0);
    QVERIFY(root.insertChildren(0, 3, 2));
    QCOMPARE(root.childCount(), 3);
    QVERIFY(!root.child(-1));
    QVERIFY(!root.child(3));
    TreeItem* last = root.child(2);
    QCOMPARE(last->childNumber(), 2);
    QCOMPARE(last->parent(), &root);
    QCOMPARE(last->columnCount(), 2);
    QVERIFY(!last->data(0).isValid());
    QVERIFY(!last->setData(2, 1));
    QVERIFY(!last->setData(-1, 1));
    QVERIFY(last->setData(1, QStringLiteral("x")));
    QCOMPARE(last->data(1).toString(), QStringLiteral("x"));
    QVERIFY(!last->data(5).isValid());
    QVERIFY(last->insertChildren(0, 2, 2));

    // Columns change recursively; out-of-range requests change nothing.
    QVERIFY(!root.insertColumns(3, 1));
    QVERIFY(root.insertColumns(0, 1));
    QCOMPARE(root.columnCount(), 3);
    QCOMPARE(last->columnCount(), 3);
    QCOMPARE(last->child(1)->columnCount(), 3);
    QCOMPARE(last->data(2).toString(), QStringLiteral("x"));
    QVERIFY(!root.removeColumns(2, 2));
    QVERIFY(root.removeColumns(0, 2));
    QCOMPARE(last->child(0)->columnCount(), 1);
    QCOMPARE(last->data(0).toString(), QStringLiteral("x"));

    QVERIFY(!root.removeChildren(2, 2));
    QVERIFY(!root.removeChildren(-1, 1));
    QCOMPARE(root.childCount(), 3);
    QVERIFY(root.removeChildren(0, 2)); // deletes the two leaves
    QCOMPARE(root.childCount(), 1);
    QCOMPARE(root.child(0), last);
    QCOMPARE(last->childNumber(), 0);
}

void TstTreeModel::modelTesterOverSimulatedCameras_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("color") << QStringLiteral("color");
    QTest::newRow("mono") << QStringLiteral("mono");
    QTest::newRow("thermal") << QStringLiteral("thermal");
    QTest::newRow("nowb") << QStringLiteral("nowb");
}

void TstTreeModel::modelTesterOverSimulatedCameras()
{
    QFETCH(QString, kind);
    SimCamera camera(kind.toLatin1().constData());
    TreeModel model(kHeaders, camera.handle());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Root"));
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    const QStringList categories = rowNames(model);
    QVERIFY(categories.contains(QStringLiteral("DeviceControl")));
    QVERIFY(categories.contains(QStringLiteral("AnalogControl")));
    QCOMPARE(categories.contains(QStringLiteral("ThermalControl")), kind == "thermal");

    // Named sub-categories carry their nodes; other second-level items are leaves.
    const QModelIndex analog = rowNamed(model, QStringLiteral("AnalogControl"));
    const QModelIndex iris = rowNamed(model, QStringLiteral("AutoIris"), analog);
    QVERIFY(iris.isValid());
    QCOMPARE(rowNames(model, iris),
             QStringList({QStringLiteral("AutoIrisMode"), QStringLiteral("AutoIrisTarget")}));
    QCOMPARE(model.parent(iris), analog);
    QCOMPARE(model.parent(model.index(0, 0, iris)), iris);
    QCOMPARE(model.rowCount(rowNamed(model, QStringLiteral("Gain"), analog)), 0);
    const QModelIndex device = rowNamed(model, QStringLiteral("DeviceControl"));
    QCOMPARE(model.rowCount(rowNamed(model, QStringLiteral("DeviceTemperatureRange"), device)), 2);
    QVERIFY(!(model.flags(iris) & Qt::ItemIsEditable));
    QVERIFY(model.flags(iris) & Qt::ItemIsSelectable);
    QCOMPARE(model.flags(QModelIndex()), Qt::ItemFlags());

    // One list call for the root, one per category, one per named sub-category present.
    QStringList expected{QStringLiteral("Root")};
    expected << categories;
    expected.insert(expected.indexOf(QStringLiteral("DeviceControl")) + 1,
                    QStringLiteral("DeviceTemperatureRange"));
    expected.insert(expected.indexOf(QStringLiteral("AnalogControl")) + 1,
                    QStringLiteral("AutoIris"));
    QCOMPARE(SdkSpy::calls().nodeListParents, expected);
}

void TstTreeModel::editingUnderModelTester()
{
    SimCamera camera("mono");
    TreeModel model(kHeaders, camera.handle());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int categories = model.rowCount();

    QVERIFY(!model.insertRows(categories + 1, 1));
    QVERIFY(!model.removeRows(categories, 1));
    QVERIFY(!model.removeRows(-1, 1));
    QCOMPARE(model.rowCount(), categories);

    QVERIFY(model.insertRows(0, 2));
    QCOMPARE(model.rowCount(), categories + 2);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(!model.setData(model.index(0, 0), QStringLiteral("x"), Qt::DisplayRole));
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("x")));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.index(0, 0).data(Qt::EditRole).toString(), QStringLiteral("x"));
    QVERIFY(!model.index(0, 0).data(Qt::ToolTipRole).isValid());

    const QModelIndex first = model.index(2, 0);
    const int children = model.rowCount(first);
    QVERIFY(model.insertRows(0, 1, first));
    QCOMPARE(model.rowCount(first), children + 1);
    QVERIFY(model.removeRows(0, 2));
    QCOMPARE(model.rowCount(), categories);

    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    QVERIFY(!model.setHeaderData(0, Qt::Vertical, QStringLiteral("v")));
    QVERIFY(model.setHeaderData(0, Qt::Horizontal, QStringLiteral("Name")));
    QCOMPARE(header.count(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));

    QVERIFY(model.insertColumns(1, 1));
    QCOMPARE(model.columnCount(), 2);
    QVERIFY(!model.index(0, 1, model.index(0, 1)).isValid()); // children only in column 0
    QVERIFY(model.removeColumns(1, 1));
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.rowCount(), categories);
}

void TstTreeModel::emptyRootGivesEmptyTree()
{
    SimCamera camera("mono");
    camera.clearNodes();
    XMLCtrl dock(&camera.session());
    dock.CreateXMLTree(camera.handle());
    QVERIFY(dock.model());
    QCOMPARE(dock.model()->rowCount(), 0);
    QCOMPARE(dock.model()->columnCount(), 1);
    QCOMPARE(dock.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Root"));
    QCOMPARE(SdkSpy::calls().nodeListParents, QStringList{QStringLiteral("Root")});
}

void TstTreeModel::emptyTopLevelNameIsSkipped()
{
    SdkSpy::overrideNodeList(QStringLiteral("Root"),
                             {QStringLiteral("A"), QString(), QStringLiteral("B")});
    SdkSpy::overrideNodeList(QStringLiteral("A"), {QString(), QStringLiteral("a1")});
    SdkSpy::overrideNodeList(QStringLiteral(""), {QStringLiteral("never")});
    SimCamera camera("mono");
    TreeModel model(kHeaders, camera.handle());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(rowNames(model), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    // An empty second-level name is kept as an item with empty text.
    QCOMPARE(rowNames(model, model.index(0, 0)), QStringList({QString(), QStringLiteral("a1")}));
    QCOMPARE(SdkSpy::calls().nodeListParents,
             QStringList({QStringLiteral("Root"), QStringLiteral("A"), QStringLiteral("B")}));
}

void TstTreeModel::onlyNamedSubCategoriesExpand()
{
    SimCamera camera("mono");
    camera.clearNodes();
    camera.add("Root", QStringLiteral("Cat"), ORVANTA_NODE_CATEGORY);
    camera.add("Cat", QStringLiteral("AutoIris"), ORVANTA_NODE_CATEGORY);
    camera.add("Cat", QStringLiteral("AutoIrisX"), ORVANTA_NODE_CATEGORY);
    camera.add("Cat", QStringLiteral("autoiris"), ORVANTA_NODE_CATEGORY);
    camera.add("AutoIris", QStringLiteral("Deep"), ORVANTA_NODE_CATEGORY);
    camera.add("AutoIris", QStringLiteral("Level3"), ORVANTA_NODE_INTEGER);
    camera.add("AutoIrisX", QStringLiteral("Hidden"), ORVANTA_NODE_INTEGER);
    camera.add("autoiris", QStringLiteral("Hidden2"), ORVANTA_NODE_INTEGER);
    camera.add("Deep", QStringLiteral("Level4"), ORVANTA_NODE_INTEGER);
    for (const char* name : {"LUTKneePointControls", "SnowNoiseRemoveControls", "WDGControl",
                             "AutoAreaControl", "AutoFocusControl", "DeviceTemperatureRange",
                             "AlarmCommonControls", "TemperatureCompensations"}) {
        const QString sub = QString::fromLatin1(name);
        camera.add("Cat", sub, ORVANTA_NODE_CATEGORY);
        camera.add(name, sub + QStringLiteral("Child"), ORVANTA_NODE_INTEGER);
    }

    TreeModel model(kHeaders, camera.handle());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QModelIndex cat = model.index(0, 0);
    const QModelIndex iris = rowNamed(model, QStringLiteral("AutoIris"), cat);
    QCOMPARE(rowNames(model, iris),
             QStringList({QStringLiteral("Deep"), QStringLiteral("Level3")}));
    QCOMPARE(model.rowCount(rowNamed(model, QStringLiteral("Deep"), iris)), 0);
    QCOMPARE(model.rowCount(rowNamed(model, QStringLiteral("AutoIrisX"), cat)), 0);
    QCOMPARE(model.rowCount(rowNamed(model, QStringLiteral("autoiris"), cat)), 0);
    for (const QString& sub : rowNames(model, cat).mid(3))
        QCOMPARE(rowNames(model, rowNamed(model, sub, cat)), QStringList{sub + "Child"});

    const QStringList fetched = SdkSpy::calls().nodeListParents;
    QCOMPARE(fetched.size(), 2 + 1 + 8);
    QVERIFY(!fetched.contains(QStringLiteral("AutoIrisX")));
    QVERIFY(!fetched.contains(QStringLiteral("autoiris")));
    QVERIFY(!fetched.contains(QStringLiteral("Deep")));
}

void TstTreeModel::fullListFillsCapacity()
{
    SimCamera camera("mono");
    camera.clearNodes();
    camera.add("Root", QStringLiteral("Big"), ORVANTA_NODE_CATEGORY);
    for (int i = 0; i < 130; ++i)
        camera.add("Big", QStringLiteral("Node%1").arg(i), ORVANTA_NODE_INTEGER);

    TreeModel model(kHeaders, camera.handle());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QModelIndex big = model.index(0, 0);
    QCOMPARE(model.rowCount(big), 128);
    QCOMPARE(model.index(127, 0, big).data().toString(), QStringLiteral("Node127"));
    QCOMPARE(SdkSpy::calls().nodeListParents,
             QStringList({QStringLiteral("Root"), QStringLiteral("Big")}));
}

void TstTreeModel::removingLastColumnRemovesRows()
{
    SimCamera camera("color");
    TreeModel model(kHeaders, camera.handle());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(model.rowCount() > 0);
    QVERIFY(!model.removeColumns(0, 2));
    QCOMPARE(model.columnCount(), 1);
    QVERIFY(model.removeColumns(0, 1));
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(model.rowCount(), 0);
}

void TstTreeModel::dockReplacesAndDropsTree()
{
    SimCamera first("color");
    SimCamera second("mono");
    second.clearNodes();
    second.add("Root", QStringLiteral("OnlyCategory"), ORVANTA_NODE_CATEGORY);

    XMLCtrl dock(&first.session());
    auto* view = dock.findChild<QTreeView*>(QStringLiteral("treeXML"));
    QVERIFY(view);
    QVERIFY(!dock.model());

    dock.CreateXMLTree(first.handle());
    QPointer<TreeModel> firstModel = dock.model();
    // The view shows the model through the dock's filter.
    auto* filter = qobject_cast<QAbstractProxyModel*>(view->model());
    QVERIFY(filter);
    QCOMPARE(filter->sourceModel(), firstModel.data());
    QVERIFY(rowNames(*view->model()).contains(QStringLiteral("AnalogControl")));

    dock.CreateXMLTree(second.handle());
    QVERIFY(firstModel.isNull()); // the old tree is gone, not kept alongside
    QCOMPARE(filter->sourceModel(), dock.model());
    QCOMPARE(rowNames(*view->model()), QStringList{QStringLiteral("OnlyCategory")});

    dock.DeleteXMLTree();
    QVERIFY(!dock.model());
    QCOMPARE(filter->sourceModel(), nullptr); // the view shows an empty tree
    QCOMPARE(view->model()->rowCount(), 0);
    dock.DeleteXMLTree(); // closing twice is harmless
    QCOMPARE(view->model()->rowCount(), 0);
}

QTEST_MAIN(TstTreeModel)
#include "tst_treemodel.moc"
