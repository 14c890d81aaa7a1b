#pragma once

#include "core/plan/CPropertyRow.h"

#include <QTableView>
#include <vector>

class CPropertyDelegate;
class CPropertyListModel;

// The property list of the configuration views: "Properties" (110 pixels) and a value
// column whose header each page sets, grid lines, whole rows selected. A value cell is
// read-only, a text editor or a combo box, with its colours and a modified flag that a
// user's change sets. The end of a text edit and a combo choice are told by editEnded()
// and comboSelected() with (row, column); the view then reads the cell, checks the flag
// and acts (sends, or writes into the project).
//
//   list->setValueHeader("IP: 10.0.0.7");
//   list->setRows(CPropertyRows::list(element, schema, place));
//   connect(list, &CPropertyList::editEnded, view, &View::commit);
//   // in commit(row, column): if (column == 1 && list->takeModified(row)) ... cellText(row, 1)
class CPropertyList : public QTableView {
    Q_OBJECT

public:
    static constexpr int kLabelWidth = 110;
    static constexpr int kValueColumn = 1;

    explicit CPropertyList(QWidget* parent = nullptr);

    // Deletes every row, then lists these.
    void setRows(std::vector<CPropertyRow> rows);
    void clearRows();
    int rowCount() const;
    const CPropertyRow& row(int row) const;

    QString cellText(int row, int column) const;
    // The program's own write of a value cell: it leaves the modified flag alone.
    void setCellText(int row, const QString& text);
    bool isModified(int row) const;
    // Reads the modified flag and clears it.
    bool takeModified(int row);

    // How many rows a combo cell's drop-down list shows; 0 (the default): all its options.
    void setComboRows(int rows);

    // Whether an editor is open in a cell: the list is not to be listed anew under it.
    bool isEditing() const;
    void setValueHeader(const QString& text);
    QString valueHeader() const;

signals:
    void editEnded(int row, int column);
    void comboSelected(int row, int column);

private:
    void onEditorClosed(QWidget* editor);
    void onClicked(const QModelIndex& index);

    CPropertyListModel* m_model = nullptr;
    CPropertyDelegate* m_delegate = nullptr;
};
