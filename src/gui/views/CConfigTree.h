#pragma once

#include "core/tree/CTreeItem.h"

#include <QTreeView>
#include <vector>

class CTreeIcons;
class CTreeModel;

// The tree of a configuration view (gateways, bus, project) over the view's tree model: each
// item with the icon of its kind, in the view's row height. The model tells it of every
// change item by item, so the expanded items and the selection stay wherever their items
// stay; an item that goes takes the selection with it, and nothing else becomes selected.
class CConfigTree : public QTreeView {
    Q_OBJECT

public:
    CConfigTree(CTreeModel& model, int iconCount, int rowHeight, QWidget* parent = nullptr);

    // Lets go of the model: a view's model goes before the view's widgets.
    void release();
    // New children of an item of one of these roles show at once: the item is expanded.
    void expandOnInsert(std::vector<CTreeItem::Role> roles) { m_expandOnInsert = std::move(roles); }

    // The model's index of an index of this tree, and the other way.
    QModelIndex toModel(const QModelIndex& shown) const;
    QModelIndex toShown(const QModelIndex& index) const;
    QModelIndex currentModelIndex() const { return toModel(currentIndex()); }
    // The item becomes the tree's selection (none: nothing is selected).
    void setCurrentItem(const CTreeItem* item);
    void expandItem(const CTreeItem* item);

private:
    void rowsGoing(const QModelIndex& parent, int first, int last);
    void rowsCame(const QModelIndex& parent);

    CTreeModel* m_model;
    CTreeIcons* m_icons;
    std::vector<CTreeItem::Role> m_expandOnInsert;
};
