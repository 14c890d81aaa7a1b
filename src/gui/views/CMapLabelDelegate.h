#pragma once

#include <QStyledItemDelegate>

// The in-place editor of a device's label in the device map: it starts from the address the
// project holds (CProjectTreeModel::kAddressRole) and never writes the typed text into the
// tree. Enter ends the edit with addressTyped(), Escape ends it with nothing; Delete only
// edits the text.
class CMapLabelDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

signals:
    void addressTyped(const QModelIndex& index, const QString& text) const;
};
