#ifndef TREEITEM_H
#define TREEITEM_H

#include <QList>
#include <QVariant>
#include <QVector>

// One row of the feature tree: its column values and its owned children.
// Deleting an item deletes its whole subtree. Out-of-range requests change nothing.
class TreeItem
{
public:
    explicit TreeItem(const QVector<QVariant>& data, TreeItem* parent = nullptr);
    ~TreeItem();

    TreeItem(const TreeItem&) = delete;
    TreeItem& operator=(const TreeItem&) = delete;

    TreeItem* child(int number) const;
    int childCount() const;
    int childNumber() const;
    int columnCount() const;
    QVariant data(int column) const;
    bool insertChildren(int position, int count, int columns);
    bool insertColumns(int position, int columns);
    TreeItem* parent() const;
    bool removeChildren(int position, int count);
    bool removeColumns(int position, int columns);
    bool setData(int column, const QVariant& value);

    // Appends one child of that many columns, column 0 holding the value; returns it.
    TreeItem* appendChild(const QVariant& value, int columns);

private:
    QList<TreeItem*> m_childItems;
    QVector<QVariant> m_itemData;
    TreeItem* m_parentItem;
};

#endif // TREEITEM_H
