// Prints how long the feature tree of a simulated colour camera takes to build, and how many
// node-list calls it makes against the fewest its walk rules allow (one for the root, one per
// named category, one per expanded sub-category).
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "camerasession.h"
#include "sdk/OrvantaSimControl.h"
#include "treemodel.h"
#include "xmlctrl.h"

namespace {
int g_listCalls = 0;
} // namespace

extern "C" {
int __real_OrvantaGetNodeList(OrvantaHandle, const char*, NodeNameList*);
int __wrap_OrvantaGetNodeList(OrvantaHandle h, const char* parent, NodeNameList* list)
{
    ++g_listCalls;
    return __real_OrvantaGetNodeList(h, parent, list);
}
}

namespace {
int minimumListCalls(const TreeModel& model)
{
    int calls = 1;
    for (int c = 0; c < model.rowCount(); ++c) {
        const QModelIndex category = model.index(c, 0);
        ++calls;
        for (int n = 0; n < model.rowCount(category); ++n)
            if (TreeModel::isExpandedSubCategory(model.index(n, 0, category).data().toString()))
                ++calls;
    }
    return calls;
}

int countItems(const QAbstractItemModel& model, const QModelIndex& parent = {})
{
    int items = 0;
    for (int row = 0; row < model.rowCount(parent); ++row)
        items += 1 + countItems(model, model.index(row, 0, parent));
    return items;
}

void report(const char* what, std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    std::printf("%-34s median %8.1f us   min %8.1f us   max %8.1f us   (%zu runs)\n", what,
                micros[micros.size() / 2], micros.front(), micros.back(), micros.size());
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("ORVANTA_BACKENDS", "simulated"); // never discover on a network
    qputenv("ORVANTA_SIM_CAMERAS", "color:1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OrvantaInit();
    char id[ORVANTA_TEXT_SIZE] = {};
    OrvantaHandle handle = nullptr;
    if (OrvantaGetCameraID(0, id) != ORVANTA_OK || OrvantaOpenCamera(id, &handle) != ORVANTA_OK) {
        std::fprintf(stderr, "no simulated colour camera\n");
        return 1;
    }
    const int runs = 200;
    const QStringList headers{QStringLiteral("Root")};

    std::vector<double> modelTimes;
    int callsPerBuild = 0;
    int minimum = 0;
    int items = 0;
    for (int i = 0; i < runs; ++i) {
        g_listCalls = 0;
        QElapsedTimer timer;
        timer.start();
        TreeModel model(headers, handle);
        modelTimes.push_back(timer.nsecsElapsed() / 1000.0);
        callsPerBuild = g_listCalls;
        minimum = minimumListCalls(model);
        items = countItems(model);
    }

    CameraSession session;
    XMLCtrl dock(&session);
    std::vector<double> dockTimes;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        dock.CreateXMLTree(handle);
        dockTimes.push_back(timer.nsecsElapsed() / 1000.0);
    }
    dock.DeleteXMLTree();

    std::printf("feature tree of the simulated colour camera: %d items\n", items);
    report("TreeModel (SDK walk + items)", modelTimes);
    report("XMLCtrl::CreateXMLTree (+ view)", dockTimes);
    std::printf("OrvantaGetNodeList calls per build: %d   minimum by the walk rules: %d\n",
                callsPerBuild, minimum);
    OrvantaCloseCamera(handle);
    OrvantaUninit();
    return 0;
}
