#pragma once

#include <QIdentityProxyModel>

// The bus view's tree as it is shown: the items of CBusTreeModel with the icon of their
// kind and the tree's row height.
class CBusTreeIcons : public QIdentityProxyModel {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 18;

    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};
