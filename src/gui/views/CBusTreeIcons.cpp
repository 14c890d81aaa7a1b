#include "CBusTreeIcons.h"

#include "CNodeIcons.h"
#include "bus/CBusTreeModel.h"
#include "tree/CNodeKind.h"

#include <QSize>

QVariant CBusTreeIcons::data(const QModelIndex& index, int role) const {
    switch (role) {
        case Qt::DecorationRole:
            return CNodeIcons::icon(
                QIdentityProxyModel::data(index, CBusTreeModel::kKindRole).toInt(),
                CNodeKind::iconCount(CNodeKind::Tree::Bus));
        case Qt::SizeHintRole:
            return QSize(-1, kRowHeight);
        default:
            return QIdentityProxyModel::data(index, role);
    }
}
