#include "gui/views/CMapLabelDelegate.h"

#include "core/project/CProjectTreeModel.h"

#include <QLineEdit>

void CMapLabelDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(index.data(CProjectTreeModel::kAddressRole).toString());
    }
}

void CMapLabelDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    Q_UNUSED(model);
    if (const auto* line = qobject_cast<const QLineEdit*>(editor)) {
        emit addressTyped(index, line->text());
    }
}
