#pragma once

#include "core/tree/CTreeItem.h"

#include <QAbstractItemModel>
#include <memory>

// The model of a configuration tree: one root item, shown as the only top-level row, and
// the items below it (CTreeItem). Each tree's model builds its items from its document;
// this one shows them and keeps its views told of every change, item by item, so that a
// view keeps its expanded items and its selection wherever the items stay.
//
// A rebuild is a merge: the model builds a fresh tree beside the shown one and brings the
// shown one to it. An item that stands for the same thing stays (taking the fresh label and
// kind), a new one is inserted, and one the fresh tree lacks goes. A plain item model
// without widgets: a view adds the icons of the kinds.
class CTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // The item's kind (int) and role (CTreeItem::Role as int).
    static constexpr int kKindRole = Qt::UserRole + 1;
    static constexpr int kItemRole = Qt::UserRole + 2;
    // The first role a tree's own model may give its items.
    static constexpr int kFirstOwnRole = Qt::UserRole + 8;

    explicit CTreeModel(std::unique_ptr<CTreeItem> root, QObject* parent = nullptr);
    ~CTreeModel() override;

    const CTreeItem* root() const { return m_root.get(); }
    const CTreeItem* item(const QModelIndex& index) const;
    QModelIndex indexOf(const CTreeItem* item) const;
    // Takes an item out of the tree (not the root).
    void removeItem(const CTreeItem* item);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    enum class Merge {
        // New items are appended; nothing goes, nothing moves.
        AddMissing,
        // The shown tree becomes the fresh one: its items in its order, and no others.
        Replace,
    };

    CTreeItem* rootItem() { return m_root.get(); }
    // Only the root is left, with that label.
    void clear(const QString& rootLabel);
    CTreeItem* insert(CTreeItem* parent, int row, std::unique_ptr<CTreeItem> item);
    CTreeItem* append(CTreeItem* parent, std::unique_ptr<CTreeItem> item);
    void setLabelAndKind(CTreeItem* item, const QString& label, int kind);
    // Tells the views that the item's data changed.
    void itemChanged(const CTreeItem* item);
    // Brings the shown tree to fresh, a root built beside it (whose items it takes).
    void merge(CTreeItem& fresh, Merge how);

private:
    void mergeItem(CTreeItem* shown, CTreeItem& fresh, Merge how);
    void moveUp(CTreeItem* parent, int from, int to);
    void removeFrom(CTreeItem* parent, int row);

    std::unique_ptr<CTreeItem> m_root;
};

// The model of a tree whose items are all of one class: root() and item() give that class.
template <class Item>
class CTreeModelOf : public CTreeModel {
public:
    explicit CTreeModelOf(std::unique_ptr<Item> root, QObject* parent = nullptr)
        : CTreeModel(std::move(root), parent) {}

    const Item* root() const { return static_cast<const Item*>(CTreeModel::root()); }
    const Item* item(const QModelIndex& index) const {
        return static_cast<const Item*>(CTreeModel::item(index));
    }

protected:
    Item* rootItem() { return static_cast<Item*>(CTreeModel::rootItem()); }
};
