#pragma once

#include <QStyledItemDelegate>

// The in-place editors of a property list's value cells: a line edit, or a combo box of
// the row's options that opens at once and commits as soon as a choice is made.
class CPropertyDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // The editor's property that holds its cell (a QPersistentModelIndex).
    static constexpr const char* kCellProperty = "propertyCell";

    explicit CPropertyDelegate(QObject* parent = nullptr);

    static QModelIndex cellOf(const QWidget* editor);

    // Rows a combo's drop-down list shows; 0: as many as it has options.
    void setComboRows(int rows) { m_comboRows = rows; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

signals:
    // A combo's choice was committed to the model; the editor closes next.
    void comboChosen(const QModelIndex& index);

private:
    int m_comboRows = 0;
};
