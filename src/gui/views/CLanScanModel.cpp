#include "gui/views/CLanScanModel.h"

CLanScanModel::CLanScanModel(QObject* parent) : QAbstractTableModel(parent) {}

int CLanScanModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CLanScanModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CLanScanModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    return cellText(m_rows[index.row()], index.column());
}

QVariant CLanScanModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case kNumber:
            return QStringLiteral("#");
        case kAddress:
            return QStringLiteral("IP");
        case kMac:
            return QStringLiteral("MAC");
        case kName:
            return QStringLiteral("NAME");
        default:
            return {};
    }
}

void CLanScanModel::appendRows(const QList<CLanScanRow>& rows) {
    if (rows.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_rows.append(rows);
    endInsertRows();
}

void CLanScanModel::clear() {
    if (m_rows.isEmpty()) {
        return;
    }
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QString CLanScanModel::cellText(const CLanScanRow& row, int column) {
    switch (column) {
        case kNumber:
            return QString::fromLatin1(row.numberText());
        case kAddress:
            return QString::fromLatin1(row.addressText());
        case kMac:
            return QString::fromLatin1(row.macText());
        case kName:
            return row.name;
        default:
            return {};
    }
}
