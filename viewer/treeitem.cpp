#include "treeitem.h"

TreeItem::TreeItem(const QVector<QVariant>& data, TreeItem* parent)
    : m_itemData(data), m_parentItem(parent)
{}

TreeItem::~TreeItem()
{
    qDeleteAll(m_childItems);
}

TreeItem* TreeItem::child(int number) const
{
    if (number < 0 || number >= m_childItems.size())
        return nullptr;
    return m_childItems.at(number);
}

int TreeItem::childCount() const
{
    return m_childItems.size();
}

int TreeItem::childNumber() const
{
    if (!m_parentItem)
        return 0;
    return m_parentItem->m_childItems.indexOf(const_cast<TreeItem*>(this));
}

int TreeItem::columnCount() const
{
    return m_itemData.size();
}

QVariant TreeItem::data(int column) const
{
    if (column < 0 || column >= m_itemData.size())
        return QVariant();
    return m_itemData.at(column);
}

bool TreeItem::insertChildren(int position, int count, int columns)
{
    if (position < 0 || position > m_childItems.size())
        return false;
    for (int row = 0; row < count; ++row)
        m_childItems.insert(position, new TreeItem(QVector<QVariant>(columns), this));
    return true;
}

bool TreeItem::insertColumns(int position, int columns)
{
    if (position < 0 || position > m_itemData.size())
        return false;
    for (int column = 0; column < columns; ++column)
        m_itemData.insert(position, QVariant());
    for (TreeItem* child : qAsConst(m_childItems))
        child->insertColumns(position, columns);
    return true;
}

TreeItem* TreeItem::parent() const
{
    return m_parentItem;
}

bool TreeItem::removeChildren(int position, int count)
{
    if (position < 0 || position + count > m_childItems.size())
        return false;
    for (int row = 0; row < count; ++row)
        delete m_childItems.takeAt(position);
    return true;
}

bool TreeItem::removeColumns(int position, int columns)
{
    if (position < 0 || position + columns > m_itemData.size())
        return false;
    if (columns > 0)
        m_itemData.remove(position, columns);
    for (TreeItem* child : qAsConst(m_childItems))
        child->removeColumns(position, columns);
    return true;
}

bool TreeItem::setData(int column, const QVariant& value)
{
    if (column < 0 || column >= m_itemData.size())
        return false;
    m_itemData[column] = value;
    return true;
}

TreeItem* TreeItem::appendChild(const QVariant& value, int columns)
{
    insertChildren(childCount(), 1, columns);
    TreeItem* item = m_childItems.last();
    item->setData(0, value);
    return item;
}
