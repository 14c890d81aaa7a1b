#include "gui/views/CConfigTree.h"

#include "core/tree/CTreeModel.h"
#include "gui/views/CTreeIcons.h"

#include <algorithm>

CConfigTree::CConfigTree(CTreeModel& model, int iconCount, int rowHeight, QWidget* parent)
    : QTreeView(parent), m_model(&model), m_icons(new CTreeIcons(iconCount, rowHeight, this)) {
    // Before the selection hears of it: it would make the item above the current one.
    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &CConfigTree::rowsGoing);
    m_icons->setSourceModel(&model);
    setModel(m_icons);
    connect(&model, &QAbstractItemModel::rowsInserted, this, &CConfigTree::rowsCame);
    setHeaderHidden(true);
    setIconSize(QSize(16, 16));
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CConfigTree::release() {
    disconnect(m_model, nullptr, this, nullptr);
    m_icons->setSourceModel(nullptr);
}

QModelIndex CConfigTree::toModel(const QModelIndex& shown) const {
    return m_icons->mapToSource(shown);
}

QModelIndex CConfigTree::toShown(const QModelIndex& index) const {
    return m_icons->mapFromSource(index);
}

void CConfigTree::setCurrentItem(const CTreeItem* item) {
    setCurrentIndex(toShown(m_model->indexOf(item)));
}

void CConfigTree::expandItem(const CTreeItem* item) {
    expand(toShown(m_model->indexOf(item)));
}

void CConfigTree::rowsGoing(const QModelIndex& parent, int first, int last) {
    const CTreeItem* going = m_model->item(parent);
    for (const CTreeItem* item = m_model->item(currentModelIndex()); item != nullptr;
         item = item->parent()) {
        if (item->parent() == going && item->row() >= first && item->row() <= last) {
            setCurrentIndex(QModelIndex());
            return;
        }
    }
}

void CConfigTree::rowsCame(const QModelIndex& parent) {
    const CTreeItem* item = m_model->item(parent);
    if (item != nullptr && std::find(m_expandOnInsert.begin(), m_expandOnInsert.end(),
                                     item->role()) != m_expandOnInsert.end()) {
        expand(toShown(parent));
    }
}
