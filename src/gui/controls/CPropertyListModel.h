#pragma once

#include "core/plan/CPropertyRow.h"

#include <QAbstractTableModel>
#include <vector>

// The rows of a property list: column 0 the label, column 1 the value with its colours and
// editor. A value the user enters sets the row's modified flag (when it differs); the
// program's own writes (setValue) do not.
class CPropertyListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kLabelColumn = 0;
    static constexpr int kValueColumn = 1;
    // The row's CPropertyRow::Editor, on the value cell.
    static constexpr int kEditorRole = Qt::UserRole + 1;
    static constexpr int kOptionsRole = Qt::UserRole + 2;
    static constexpr int kInitialIndexRole = Qt::UserRole + 3;

    explicit CPropertyListModel(QObject* parent = nullptr);

    void setRows(std::vector<CPropertyRow> rows);
    const CPropertyRow& row(int row) const { return m_rows.at(static_cast<size_t>(row)).row; }
    void setValue(int row, const QString& value);
    bool isModified(int row) const { return m_rows.at(static_cast<size_t>(row)).modified; }
    // Reads the flag and clears it.
    bool takeModified(int row);
    void setValueHeader(const QString& text);
    QString valueHeader() const { return m_valueHeader; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Entry {
        CPropertyRow row;
        bool modified = false;
    };

    QVariant valueData(const CPropertyRow& row, int role) const;

    std::vector<Entry> m_rows;
    QString m_valueHeader;
};
