#include "CTrafficListModel.h"

#include "protocol/CTrafficRendering.h"
#include "protocol/CWireText.h"

CTrafficListModel::CTrafficListModel(QObject* parent) : QAbstractListModel(parent) {}

int CTrafficListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant CTrafficListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    return displayText(m_rows.at(index.row()).shown);
}

void CTrafficListModel::setRendering(bool showTime, bool showSender) {
    m_showTime = showTime;
    m_showSender = showSender;
}

CTrafficListModel::Line CTrafficListModel::made(QByteArray received) const {
    QByteArray shown = CTrafficRendering::render(received, m_showTime, m_showSender);
    return {std::move(received), std::move(shown)};
}

QList<CTrafficListModel::Line> CTrafficListModel::passing(const QList<Line>& lines) const {
    if (m_filter.isEmpty()) {
        return lines;
    }
    QList<Line> passed;
    for (const Line& line : lines) {
        if (m_filter.matches(line.received)) {
            passed.append(line);
        }
    }
    return passed;
}

void CTrafficListModel::setLines(const QList<QByteArray>& received) {
    beginResetModel();
    m_pending.clear();
    m_kept.clear();
    const qsizetype first = qMax<qsizetype>(0, received.size() - kMaxRows);
    for (qsizetype at = first; at < received.size(); ++at) {
        m_kept.append(made(received.at(at)));
    }
    m_rows = passing(m_kept);
    endResetModel();
}

void CTrafficListModel::append(QByteArray received) {
    // A flood can hold the GUI thread in the document's drain, appending line after line
    // before the next turn comes: only the newest kMaxRows could ever be shown, so no more
    // wait.
    if (m_pending.size() >= kMaxRows) {
        m_pending.removeFirst();
    }
    m_pending.append(made(std::move(received)));
    if (m_flushScheduled || m_paused) {
        return;
    }
    m_flushScheduled = true;
    QMetaObject::invokeMethod(this, &CTrafficListModel::flushPending, Qt::QueuedConnection);
}

void CTrafficListModel::flushPending() {
    m_flushScheduled = false;
    if (m_pending.isEmpty() || m_paused) {
        return;
    }
    const QList<Line> arrived = std::exchange(m_pending, {});
    dropOldest(m_kept.size() + arrived.size() - kMaxRows);
    m_kept.append(arrived);
    appendRows(passing(arrived));
}

// The oldest kept lines go, and with them the rows they were shown in, which are the
// first rows, in the same order.
void CTrafficListModel::dropOldest(qsizetype count) {
    if (count <= 0) {
        return;
    }
    const qsizetype shownRows = passing(m_kept.first(count)).size();
    m_kept.remove(0, count);
    if (shownRows > 0) {
        beginRemoveRows(QModelIndex(), 0, static_cast<int>(shownRows) - 1);
        m_rows.remove(0, shownRows);
        endRemoveRows();
    }
}

void CTrafficListModel::appendRows(const QList<Line>& lines) {
    if (lines.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
    m_rows.append(lines);
    endInsertRows();
    emit linesAppended();
}

void CTrafficListModel::clear() {
    beginResetModel();
    m_kept.clear();
    m_rows.clear();
    m_pending.clear();
    endResetModel();
}

void CTrafficListModel::setFilter(const QString& text) {
    if (text == m_filter.text()) {
        return;
    }
    beginResetModel();
    m_filter = CTrafficFilter(text);
    m_rows = passing(m_kept);
    endResetModel();
}

void CTrafficListModel::setPaused(bool paused) {
    m_paused = paused;
    if (!paused) {
        flushPending();
    }
}

QList<QByteArray> CTrafficListModel::shownLines() const {
    QList<QByteArray> lines;
    for (const Line& line : m_rows) {
        lines.append(line.shown);
    }
    return lines;
}

QList<QByteArray> CTrafficListModel::receivedLines() const {
    QList<QByteArray> lines;
    for (const Line& line : m_rows) {
        lines.append(line.received);
    }
    return lines;
}

int CTrafficListModel::find(const QString& text, int from, bool forward) const {
    const int rows = rowCount();
    if (text.isEmpty() || rows == 0) {
        return -1;
    }
    const int step = forward ? 1 : -1;
    int row = from < 0 ? (forward ? -1 : rows) : from;
    for (int tried = 0; tried < rows; ++tried) {
        row = (row + step + rows) % rows;
        if (displayText(m_rows.at(row).shown).contains(text, Qt::CaseInsensitive)) {
            return row;
        }
    }
    return -1;
}

QString CTrafficListModel::displayText(const QByteArray& line) {
    return CWireText::toDisplay(line);
}
