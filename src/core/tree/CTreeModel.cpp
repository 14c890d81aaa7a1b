#include "core/tree/CTreeModel.h"

CTreeModel::CTreeModel(std::unique_ptr<CTreeItem> root, QObject* parent)
    : QAbstractItemModel(parent), m_root(std::move(root)) {}

CTreeModel::~CTreeModel() = default;

const CTreeItem* CTreeModel::item(const QModelIndex& index) const {
    return index.isValid() ? static_cast<const CTreeItem*>(index.internalPointer()) : nullptr;
}

QModelIndex CTreeModel::indexOf(const CTreeItem* item) const {
    if (item == nullptr) {
        return {};
    }
    // The items are the model's own; the index only carries the pointer back to them.
    return createIndex(item->row(), 0, const_cast<CTreeItem*>(item));
}

QModelIndex CTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) {
        return {};
    }
    if (!parent.isValid()) {
        return row == 0 ? indexOf(m_root.get()) : QModelIndex();
    }
    const CTreeItem* parentItem = item(parent);
    return row < parentItem->childCount() ? indexOf(parentItem->child(row)) : QModelIndex();
}

QModelIndex CTreeModel::parent(const QModelIndex& child) const {
    const CTreeItem* childItem = item(child);
    return childItem != nullptr ? indexOf(childItem->parent()) : QModelIndex();
}

int CTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return 1;
    }
    return parent.column() == 0 ? item(parent)->childCount() : 0;
}

int CTreeModel::columnCount(const QModelIndex& parent) const {
    Q_UNUSED(parent);
    return 1;
}

QVariant CTreeModel::data(const QModelIndex& index, int role) const {
    const CTreeItem* shown = item(index);
    if (shown == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return shown->label;
        case kKindRole:
            return shown->kind;
        case kItemRole:
            return static_cast<int>(shown->role());
        default:
            return {};
    }
}

Qt::ItemFlags CTreeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void CTreeModel::clear(const QString& rootLabel) {
    beginResetModel();
    m_root->clearChildren();
    m_root->label = rootLabel;
    endResetModel();
}

CTreeItem* CTreeModel::insert(CTreeItem* parent, int row, std::unique_ptr<CTreeItem> item) {
    beginInsertRows(indexOf(parent), row, row);
    CTreeItem* inserted = parent->insertChild(row, std::move(item));
    endInsertRows();
    return inserted;
}

CTreeItem* CTreeModel::append(CTreeItem* parent, std::unique_ptr<CTreeItem> item) {
    return insert(parent, parent->childCount(), std::move(item));
}

void CTreeModel::removeItem(const CTreeItem* item) {
    if (item != nullptr && item->parent() != nullptr) {
        CTreeItem* parentItem = item->parent();
        const int row = item->row();
        beginRemoveRows(indexOf(parentItem), row, row);
        parentItem->takeChild(row);
        endRemoveRows();
    }
}

void CTreeModel::setLabelAndKind(CTreeItem* item, const QString& label, int kind) {
    if (item->label == label && item->kind == kind) {
        return;
    }
    item->label = label;
    item->kind = kind;
    itemChanged(item);
}

void CTreeModel::itemChanged(const CTreeItem* item) {
    const QModelIndex changed = indexOf(item);
    emit dataChanged(changed, changed);
}

void CTreeModel::merge(CTreeItem& fresh, Merge how) {
    mergeItem(m_root.get(), fresh, how);
}

void CTreeModel::mergeItem(CTreeItem* shown, CTreeItem& fresh, Merge how) {
    setLabelAndKind(shown, fresh.label, fresh.kind);
    const bool replace = how == Merge::Replace;
    // Replacing, the rows before next are done: the fresh tree's first children, in order.
    int next = 0;
    for (std::unique_ptr<CTreeItem>& wanted : fresh.takeChildren()) {
        int found = -1;
        for (int row = replace ? next : 0; row < shown->childCount() && found < 0; ++row) {
            found = shown->child(row)->isSameAs(*wanted) ? row : -1;
        }
        if (found < 0) {
            insert(shown, replace ? next : shown->childCount(), std::move(wanted));
        } else {
            if (replace && found != next) {
                moveUp(shown, found, next);
                found = next;
            }
            mergeItem(shown->child(found), *wanted, how);
        }
        next += replace ? 1 : 0;
    }
    if (replace) {
        removeFrom(shown, next);
    }
}

void CTreeModel::moveUp(CTreeItem* parent, int from, int to) {
    const QModelIndex parentIndex = indexOf(parent);
    beginMoveRows(parentIndex, from, from, parentIndex, to);
    parent->insertChild(to, parent->takeChild(from));
    endMoveRows();
}

void CTreeModel::removeFrom(CTreeItem* parent, int row) {
    const int count = parent->childCount();
    if (row >= count) {
        return;
    }
    beginRemoveRows(indexOf(parent), row, count - 1);
    while (parent->childCount() > row) {
        parent->takeChild(parent->childCount() - 1);
    }
    endRemoveRows();
}
