#ifndef SDKSPY_H
#define SDKSPY_H

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

// Records the node and register calls the viewer makes into the camera SDK (the test links
// with --wrap for each of them) and can make chosen nodes report another access mode.
namespace SdkSpy {

struct Calls
{
    QStringList nodeListParents;
    QList<QPair<QString, qint64>> intWrites;
    QList<QPair<QString, double>> floatWrites;
    QList<QPair<QString, bool>> boolWrites;
    QList<QPair<QString, QString>> stringWrites;
    QStringList commands;
    QList<quint32> registerReads;
    QList<QPair<quint32, quint32>> registerWrites;
};

void reset();
Calls calls();
// Nodes listed here report this access code from OrvantaGetNodeInfo.
void forceAccess(const QString& node, int access);
// OrvantaGetNodeList of this parent returns these names (shapes the simulator refuses to
// build, such as empty names) instead of asking the camera (overrideNodeList).
// Value reads (integer and enumeration) of this node fail.
void failReads(const QString& node);
void overrideNodeList(const QString& parent, const QStringList& names);
// Integer reads of this node report this range (the value stays the camera's).
void forceIntRange(const QString& node, int minimum, int maximum);

} // namespace SdkSpy

#endif // SDKSPY_H
