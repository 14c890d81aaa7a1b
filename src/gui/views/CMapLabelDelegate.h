#pragma once

#include <QStyledItemDelegate>

// The device map's items, 17 pixels high, and the in-place editor of a device's label: it
// starts from the address the project holds and never writes the typed text into the
// tree. Enter ends the edit with addressTyped(), Escape ends it with nothing; Delete only
// edits the text.
class CMapLabelDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // The item data that holds the address to start from.
    static constexpr int kAddressRole = Qt::UserRole + 2;

    static constexpr int kRowHeight = 17;

    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

signals:
    void addressTyped(const QModelIndex& index, const QString& text) const;
};
