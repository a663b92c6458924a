#include "treemodel.h"

#include "nodetooltip.h"

#include <QSet>

#include <algorithm>
#include <cstring>
#include <memory>

#include "sdk/OrvantaAPI.h"
#include "treeitem.h"

namespace {
// The SDK fills at most the capacity; a record it left inconsistent is never read past it.
class NodeList
{
public:
    explicit NodeList(void* hCamera, const QString& parent)
    {
        m_list->count = ORVANTA_NODE_LIST_CAPACITY;
        // The count says what was filled whatever the status: nothing on a failure, the first
        // entries of a list longer than the capacity.
        (void)OrvantaGetNodeList(hCamera, parent.toUtf8().constData(), m_list.get());
        m_count = int(std::min<uint32_t>(m_list->count, ORVANTA_NODE_LIST_CAPACITY));
    }
    int count() const { return m_count; }
    // Names are decoded as UTF-8 and never read beyond their 256 bytes.
    QString name(int i) const
    {
        const char* text = m_list->names[i];
        return QString::fromUtf8(text, int(strnlen(text, ORVANTA_NODE_TEXT_SIZE)));
    }

private:
    std::unique_ptr<NodeNameList> m_list = std::make_unique<NodeNameList>();
    int m_count = 0;
};
} // namespace

TreeModel::TreeModel(const QStringList& headers, void* hCamera, QObject* parent)
    : QAbstractItemModel(parent), m_hCamera(hCamera)
{
    QVector<QVariant> rootData;
    for (const QString& header : headers)
        rootData << header;
    m_rootItem = new TreeItem(rootData);
    setupModelData(m_rootItem);
}

TreeModel::~TreeModel()
{
    delete m_rootItem;
}

bool TreeModel::isExpandedSubCategory(const QString& name)
{
    static const QSet<QString> names = {QStringLiteral("LUTKneePointControls"),
                                        QStringLiteral("SnowNoiseRemoveControls"),
                                        QStringLiteral("AutoIris"),
                                        QStringLiteral("WDGControl"),
                                        QStringLiteral("AutoAreaControl"),
                                        QStringLiteral("AutoFocusControl"),
                                        QStringLiteral("DeviceTemperatureRange"),
                                        QStringLiteral("AlarmCommonControls"),
                                        QStringLiteral("TemperatureCompensations")};
    return names.contains(name);
}

void TreeModel::setupModelData(TreeItem* parent)
{
    const int columns = parent->columnCount();
    const NodeList categories(m_hCamera, QStringLiteral("Root"));
    for (int c = 0; c < categories.count(); ++c) {
        const QString categoryName = categories.name(c);
        if (categoryName.isEmpty())
            continue;
        TreeItem* category = parent->appendChild(categoryName, columns);
        const NodeList nodes(m_hCamera, categoryName);
        for (int n = 0; n < nodes.count(); ++n) {
            const QString nodeName = nodes.name(n);
            TreeItem* node = category->appendChild(nodeName, columns);
            if (!isExpandedSubCategory(nodeName))
                continue;
            const NodeList leaves(m_hCamera, nodeName);
            for (int l = 0; l < leaves.count(); ++l)
                node->appendChild(leaves.name(l), columns);
        }
    }
}

TreeItem* TreeModel::getItem(const QModelIndex& index) const
{
    if (index.isValid()) {
        if (auto* item = static_cast<TreeItem*>(index.internalPointer()))
            return item;
    }
    return m_rootItem;
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return QModelIndex();
    if (column < 0 || column >= columnCount())
        return QModelIndex();
    TreeItem* childItem = getItem(parent)->child(row);
    return childItem ? createIndex(row, column, childItem) : QModelIndex();
}

QModelIndex TreeModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    TreeItem* parentItem = getItem(index)->parent();
    if (!parentItem || parentItem == m_rootItem)
        return QModelIndex();
    return createIndex(parentItem->childNumber(), 0, parentItem);
}

int TreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return getItem(parent)->childCount();
}

int TreeModel::columnCount(const QModelIndex&) const
{
    return m_rootItem->columnCount();
}

QVariant TreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::ToolTipRole) {
        // Asked of the camera when shown, so a range that follows other settings is current.
        const QString tip = nodeToolTip(m_hCamera, getItem(index)->data(0).toString());
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return getItem(index)->data(index.column());
}

bool TreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole)
        return false;
    const bool result = getItem(index)->setData(index.column(), value);
    if (result)
        emit dataChanged(index, index);
    return result;
}

QVariant TreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_rootItem->data(section);
    return QVariant();
}

bool TreeModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                              int role)
{
    if (role != Qt::EditRole || orientation != Qt::Horizontal)
        return false;
    const bool result = m_rootItem->setData(section, value);
    if (result)
        emit headerDataChanged(orientation, section, section);
    return result;
}

// The structural changes announce only ranges that exist, so views and persistent indexes
// never see a begin/end pair for rows or columns that are not there.
bool TreeModel::insertRows(int position, int rows, const QModelIndex& parent)
{
    TreeItem* parentItem = getItem(parent);
    if (position < 0 || position > parentItem->childCount())
        return false;
    if (rows < 1)
        return true;
    beginInsertRows(parent, position, position + rows - 1);
    const bool success = parentItem->insertChildren(position, rows, m_rootItem->columnCount());
    endInsertRows();
    return success;
}

bool TreeModel::insertColumns(int position, int columns, const QModelIndex& parent)
{
    if (position < 0 || position > m_rootItem->columnCount())
        return false;
    if (columns < 1)
        return true;
    beginInsertColumns(parent, position, position + columns - 1);
    const bool success = m_rootItem->insertColumns(position, columns);
    endInsertColumns();
    return success;
}

bool TreeModel::removeRows(int position, int rows, const QModelIndex& parent)
{
    TreeItem* parentItem = getItem(parent);
    if (position < 0 || rows < 0 || position + rows > parentItem->childCount())
        return false;
    if (rows == 0)
        return true;
    beginRemoveRows(parent, position, position + rows - 1);
    const bool success = parentItem->removeChildren(position, rows);
    endRemoveRows();
    return success;
}

bool TreeModel::removeColumns(int position, int columns, const QModelIndex& parent)
{
    if (position < 0 || columns < 0 || position + columns > m_rootItem->columnCount())
        return false;
    if (columns == 0)
        return true;
    beginRemoveColumns(parent, position, position + columns - 1);
    const bool success = m_rootItem->removeColumns(position, columns);
    endRemoveColumns();
    if (m_rootItem->columnCount() == 0)
        removeRows(0, rowCount());
    return success;
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemFlags();
    return QAbstractItemModel::flags(index);
}
