#pragma once

#include <QIdentityProxyModel>

// A configuration tree as it is shown: the items of its model (CTreeModel) with the icon of
// their kind, as far as the view's image list goes, and the view's row height.
class CTreeIcons : public QIdentityProxyModel {
    Q_OBJECT

public:
    CTreeIcons(int iconCount, int rowHeight, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    int m_iconCount;
    int m_rowHeight;
};
