#pragma once

#include "core/lan/CLanScanRow.h"

#include <QAbstractTableModel>
#include <QList>

// The rows of the scan list: "#", "IP", "MAC", "NAME". The texts are made when the list
// asks for them; a scan's rows arrive in batches and each batch is one insertion.
class CLanScanModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kNumber = 0, kAddress, kMac, kName, kColumnCount };

    explicit CLanScanModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void appendRows(const QList<CLanScanRow>& rows);
    void clear();
    const QList<CLanScanRow>& rows() const { return m_rows; }

private:
    static QString cellText(const CLanScanRow& row, int column);

    QList<CLanScanRow> m_rows;
};
