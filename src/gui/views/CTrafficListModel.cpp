#include "gui/views/CTrafficListModel.h"

#include "core/protocol/CTrafficRendering.h"
#include "core/protocol/CWireText.h"
#include "core/traffic/CTrafficHistory.h"

#include <algorithm>

CTrafficListModel::CTrafficListModel(const CTrafficHistory& session, QObject* parent)
    : QAbstractListModel(parent), m_session(session) {}

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

CTrafficListModel::Line CTrafficListModel::made(quint64 number) const {
    const QByteArray& received = m_session.at(number);
    return {received, CTrafficRendering::render(received, m_showTime, m_showSender), number};
}

bool CTrafficListModel::passes(quint64 number) const {
    return m_filter.matches(m_session.at(number));
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

void CTrafficListModel::reload() {
    beginResetModel();
    m_pending.clear();
    m_rows.clear();
    for (quint64 number = m_session.endNumber();
         number > m_session.firstNumber() && m_rows.size() < kMaxRows; --number) {
        if (passes(number - 1)) {
            m_rows.append(made(number - 1));
        }
    }
    std::reverse(m_rows.begin(), m_rows.end());
    endResetModel();
}

void CTrafficListModel::appendNewest() {
    if (m_session.lines().empty()) {
        return;
    }
    // A flood can hold the GUI thread in the document's drain, appending line after line
    // before the next turn comes: only the newest kMaxRows could ever be shown, so no more
    // wait.
    if (m_pending.size() >= kMaxRows) {
        m_pending.removeFirst();
    }
    m_pending.append(made(m_session.endNumber() - 1));
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
    const QList<Line> arrived = passing(std::exchange(m_pending, {}));
    dropFirstRows(m_rows.size() + arrived.size() - kMaxRows);
    appendRows(arrived);
}

void CTrafficListModel::dropFirstRows(qsizetype count) {
    count = qMin(count, m_rows.size());
    if (count <= 0) {
        return;
    }
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(count) - 1);
    m_rows.remove(0, count);
    endRemoveRows();
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
    m_rows.clear();
    m_pending.clear();
    endResetModel();
}

void CTrafficListModel::setFilter(const QString& text) {
    if (text == m_filter.text()) {
        return;
    }
    m_filter = CTrafficFilter(text);
    reload();
}

void CTrafficListModel::setPaused(bool paused) {
    const bool resumed = m_paused && !paused;
    m_paused = paused;
    if (!resumed) {
        return;
    }
    // The list may show an older part of the session: resuming goes back to the newest.
    const bool showsNewest =
        m_rows.isEmpty() || m_rows.last().number + 1 + m_pending.size() >= m_session.endNumber();
    if (showsNewest) {
        flushPending();
    } else {
        reload();
    }
}

QList<QByteArray> CTrafficListModel::shownLines() const {
    QList<QByteArray> lines;
    for (const Line& line : m_rows) {
        lines.append(line.shown);
    }
    return lines;
}

QList<QByteArray> CTrafficListModel::sessionLines() const {
    QList<QByteArray> lines;
    for (const QByteArray& line : m_session.lines()) {
        if (m_filter.matches(line)) {
            lines.append(line);
        }
    }
    return lines;
}

QList<QByteArray> CTrafficListModel::sessionShownLines() const {
    QList<QByteArray> lines = sessionLines();
    for (QByteArray& line : lines) {
        line = CTrafficRendering::render(line, m_showTime, m_showSender);
    }
    return lines;
}

std::optional<quint64> CTrafficListModel::findNumber(const QString& text, int from,
                                                     bool forward) const {
    const qsizetype count = static_cast<qsizetype>(m_session.lines().size());
    if (text.isEmpty() || count == 0) {
        return std::nullopt;
    }
    const qsizetype step = forward ? 1 : -1;
    qsizetype at = forward ? -1 : count;
    if (from >= 0 && from < m_rows.size() && m_rows.at(from).number >= m_session.firstNumber()) {
        at = static_cast<qsizetype>(m_rows.at(from).number - m_session.firstNumber());
    }
    for (qsizetype tried = 0; tried < count; ++tried) {
        at = (at + step + count) % count;
        const QByteArray& received = m_session.lines()[static_cast<size_t>(at)];
        if (m_filter.matches(received) &&
            displayText(CTrafficRendering::render(received, m_showTime, m_showSender))
                .contains(text, Qt::CaseInsensitive)) {
            return m_session.firstNumber() + static_cast<quint64>(at);
        }
    }
    return std::nullopt;
}

int CTrafficListModel::find(const QString& text, int from, bool forward) {
    const std::optional<quint64> number = findNumber(text, from, forward);
    if (!number) {
        return -1;
    }
    if (rowOf(*number) < 0) {
        showAround(*number);
    }
    return rowOf(*number);
}

int CTrafficListModel::rowOf(quint64 number) const {
    const auto found =
        std::lower_bound(m_rows.begin(), m_rows.end(), number,
                         [](const Line& line, quint64 wanted) { return line.number < wanted; });
    return found != m_rows.end() && found->number == number
               ? static_cast<int>(found - m_rows.begin())
               : -1;
}

// Half a list of the lines before it, and the rest after it, as far as the session has them.
void CTrafficListModel::showAround(quint64 number) {
    beginResetModel();
    m_paused = true;
    m_pending.clear();
    m_rows.clear();
    for (quint64 before = number; before > m_session.firstNumber() && m_rows.size() < kMaxRows / 2;
         --before) {
        if (passes(before - 1)) {
            m_rows.append(made(before - 1));
        }
    }
    std::reverse(m_rows.begin(), m_rows.end());
    for (quint64 after = number; after < m_session.endNumber() && m_rows.size() < kMaxRows;
         ++after) {
        if (passes(after)) {
            m_rows.append(made(after));
        }
    }
    endResetModel();
}

QString CTrafficListModel::displayText(const QByteArray& line) {
    return CWireText::toDisplay(line);
}
