#include "gui/views/CTreeIcons.h"

#include "core/tree/CTreeModel.h"
#include "gui/views/CNodeIcons.h"

#include <QSize>

CTreeIcons::CTreeIcons(int iconCount, int rowHeight, QObject* parent)
    : QIdentityProxyModel(parent), m_iconCount(iconCount), m_rowHeight(rowHeight) {}

QVariant CTreeIcons::data(const QModelIndex& index, int role) const {
    switch (role) {
        case Qt::DecorationRole:
            return CNodeIcons::icon(QIdentityProxyModel::data(index, CTreeModel::kKindRole).toInt(),
                                    m_iconCount);
        case Qt::SizeHintRole:
            return QSize(-1, m_rowHeight);
        default:
            return QIdentityProxyModel::data(index, role);
    }
}
