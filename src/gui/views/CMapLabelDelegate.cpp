#include "CMapLabelDelegate.h"

#include <QLineEdit>

QSize CMapLabelDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
}

void CMapLabelDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(index.data(kAddressRole).toString());
    }
}

void CMapLabelDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    Q_UNUSED(model);
    if (const auto* line = qobject_cast<const QLineEdit*>(editor)) {
        emit addressTyped(index, line->text());
    }
}
