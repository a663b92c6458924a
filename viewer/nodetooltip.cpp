#include "nodetooltip.h"

#include <QStringList>

#include <cstring>

#include "sdk/OrvantaAPI.h"

namespace {
QString typeName(int type)
{
    switch (type) {
    case ORVANTA_NODE_COMMAND:
        return QStringLiteral("Command");
    case ORVANTA_NODE_CATEGORY:
        return QStringLiteral("Category");
    case ORVANTA_NODE_STRING:
        return QStringLiteral("String");
    case ORVANTA_NODE_ENUMERATION:
        return QStringLiteral("Enumeration");
    case ORVANTA_NODE_INTEGER:
        return QStringLiteral("Integer");
    case ORVANTA_NODE_FLOAT:
        return QStringLiteral("Float");
    case ORVANTA_NODE_BOOLEAN:
        return QStringLiteral("Boolean");
    case ORVANTA_NODE_REGISTER:
        return QStringLiteral("Register");
    default:
        return QStringLiteral("Node");
    }
}

QString accessName(int access)
{
    switch (access) {
    case ORVANTA_ACCESS_READ_WRITE:
        return QStringLiteral("read-write");
    case ORVANTA_ACCESS_READ_ONLY:
        return QStringLiteral("read-only");
    case ORVANTA_ACCESS_WRITE_ONLY:
        return QStringLiteral("write-only");
    case ORVANTA_ACCESS_NOT_AVAILABLE:
        return QStringLiteral("not available now");
    default:
        return QStringLiteral("not implemented");
    }
}

QString text(const char* buffer, size_t size)
{
    return QString::fromUtf8(buffer, int(strnlen(buffer, size))).toHtmlEscaped();
}

// "Range: min ~ max, increment n" of a number node; empty when it cannot be read.
QString rangeLine(void* hCamera, const QByteArray& name, int type)
{
    if (type == ORVANTA_NODE_INTEGER) {
        NodeIntInfo v = {};
        if (OrvantaGetNodeInt(hCamera, name.constData(), &v) != ORVANTA_OK)
            return QString();
        // A range that is not negative holds unsigned 32-bit values (addresses among them).
        const bool isSigned = v.minimum < 0;
        auto number = [isSigned](int32_t n) {
            return isSigned ? QString::number(n) : QString::number(quint32(n));
        };
        return QStringLiteral("Range: %1 ~ %2, increment %3")
            .arg(number(v.minimum), number(v.maximum))
            .arg(v.increment);
    }
    if (type == ORVANTA_NODE_FLOAT) {
        NodeFloatInfo v = {0, 0, 0, 0};
        if (OrvantaGetNodeFloat(hCamera, name.constData(), &v) != ORVANTA_OK)
            return QString();
        QString line =
            QStringLiteral("Range: %1 ~ %2")
                .arg(QString::number(v.minimum, 'g', 6), QString::number(v.maximum, 'g', 6));
        if (v.increment > 0)
            line += QStringLiteral(", increment %1").arg(QString::number(v.increment, 'g', 6));
        return line;
    }
    return QString();
}
} // namespace

QString nodeToolTip(void* hCamera, const QString& name)
{
    const QByteArray nodeName = name.toUtf8();
    NodeInfo info;
    std::memset(&info, 0, sizeof info);
    if (!hCamera || OrvantaGetNodeInfo(hCamera, nodeName.constData(), &info) != ORVANTA_OK)
        return QString();
    // Rich text, so that a long description wraps.
    QStringList lines{QStringLiteral("<b>%1</b>").arg(name.toHtmlEscaped())};
    if (info.type == ORVANTA_NODE_CATEGORY)
        lines << typeName(info.type);
    else
        lines << QStringLiteral("%1, %2").arg(typeName(info.type), accessName(info.access));
    const QString range = rangeLine(hCamera, nodeName, info.type);
    if (!range.isEmpty())
        lines << range;
    const QString unit = text(info.unit, sizeof info.unit);
    if (!unit.isEmpty())
        lines << QStringLiteral("Unit: %1").arg(unit);
    const QString description = text(info.description, sizeof info.description);
    if (!description.isEmpty())
        lines << description;
    return lines.join(QStringLiteral("<br>"));
}
