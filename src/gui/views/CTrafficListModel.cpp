#include "CTrafficListModel.h"

#include "protocol/CWireText.h"

CTrafficListModel::CTrafficListModel(QObject* parent) : QAbstractListModel(parent) {}

int CTrafficListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant CTrafficListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    return displayText(m_lines.at(index.row()));
}

void CTrafficListModel::setLines(const QList<QByteArray>& lines) {
    beginResetModel();
    m_pending.clear();
    m_lines = lines.size() > kMaxRows ? lines.mid(lines.size() - kMaxRows) : lines;
    endResetModel();
}

void CTrafficListModel::append(QByteArray line) {
    // A flood can hold the GUI thread in the document's drain, appending line after line
    // before the next turn comes: only the newest kMaxRows could ever be shown, so no more
    // wait.
    if (m_pending.size() >= kMaxRows) {
        m_pending.removeFirst();
    }
    m_pending.append(std::move(line));
    if (m_flushScheduled) {
        return;
    }
    m_flushScheduled = true;
    QMetaObject::invokeMethod(this, &CTrafficListModel::flushPending, Qt::QueuedConnection);
}

void CTrafficListModel::flushPending() {
    m_flushScheduled = false;
    if (m_pending.isEmpty()) {
        return;
    }
    const qsizetype excess = m_lines.size() + m_pending.size() - kMaxRows;
    if (excess > 0) {
        beginRemoveRows(QModelIndex(), 0, static_cast<int>(excess) - 1);
        m_lines.remove(0, excess);
        endRemoveRows();
    }
    const int first = static_cast<int>(m_lines.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(m_pending.size()) - 1);
    m_lines.append(m_pending);
    m_pending.clear();
    endInsertRows();
    emit linesAppended();
}

void CTrafficListModel::clear() {
    beginResetModel();
    m_lines.clear();
    m_pending.clear();
    endResetModel();
}

QString CTrafficListModel::displayText(const QByteArray& line) {
    return CWireText::toDisplay(line);
}
