#include "gui/controls/CPropertyListModel.h"

#include <QColor>

CPropertyListModel::CPropertyListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CPropertyListModel::setRows(std::vector<CPropertyRow> rows) {
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (CPropertyRow& row : rows) {
        m_rows.push_back({std::move(row), false});
    }
    endResetModel();
}

void CPropertyListModel::setValue(int row, const QString& value) {
    CPropertyRow& shown = m_rows.at(static_cast<size_t>(row)).row;
    shown.value = value;
    // The mark follows the value: one put back keeps it, a good one sent loses it.
    if (shown.editor == CPropertyRow::Editor::Text) {
        shown.typeProblem = value.isEmpty() ? QString() : shown.valueType.problem(value);
        shown.backgroundRgb =
            shown.typeProblem.isEmpty() ? CPropertyRow::kWhite : CPropertyRow::kInvalidBackground;
    }
    const QModelIndex cell = index(row, kValueColumn);
    emit dataChanged(cell, cell);
}

bool CPropertyListModel::takeModified(int row) {
    bool& modified = m_rows.at(static_cast<size_t>(row)).modified;
    const bool was = modified;
    modified = false;
    return was;
}

void CPropertyListModel::setValueHeader(const QString& text) {
    m_valueHeader = text;
    emit headerDataChanged(Qt::Horizontal, kValueColumn, kValueColumn);
}

int CPropertyListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CPropertyListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CPropertyListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const CPropertyRow& row = m_rows[static_cast<size_t>(index.row())].row;
    if (index.column() == kLabelColumn) {
        return role == Qt::DisplayRole ? QVariant(row.label) : QVariant();
    }
    return valueData(row, role);
}

QVariant CPropertyListModel::valueData(const CPropertyRow& row, int role) const {
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return row.value;
        case Qt::ForegroundRole:
            return QColor::fromRgb(row.textRgb);
        case Qt::BackgroundRole:
            return QColor::fromRgb(row.backgroundRgb);
        case kEditorRole:
            return static_cast<int>(row.editor);
        case kOptionsRole:
            return row.options;
        case kInitialIndexRole:
            return row.initialIndex;
        case Qt::ToolTipRole:
            return row.typeProblem.isEmpty()
                       ? QVariant()
                       : QVariant(QStringLiteral("Invalid value, as reported: %1 %2")
                                      .arg(row.value, row.typeProblem));
        default:
            return {};
    }
}

bool CPropertyListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid) || index.column() != kValueColumn) {
        return false;
    }
    Entry& entry = m_rows[static_cast<size_t>(index.row())];
    const QString text = value.toString();
    if (text != entry.row.value) {
        entry.row.value = text;
        entry.modified = true;
        emit dataChanged(index, index);
    }
    return true;
}

Qt::ItemFlags CPropertyListModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const CPropertyRow& row = m_rows[static_cast<size_t>(index.row())].row;
    if (index.column() == kValueColumn && row.editor != CPropertyRow::Editor::None) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant CPropertyListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == kLabelColumn ? QStringLiteral("Properties") : m_valueHeader;
}
