#pragma once

#include "protocol/CTrafficFilter.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>

// The lines of the traffic list, newest at the bottom: of the newest kMaxRows lines, those
// the filter lets through. Appended lines wait until the event loop's next turn and then go
// in as one insertion (and the oldest as one removal), so a burst of thousands of lines
// costs the views one update, not thousands. While paused, lines wait (the newest kMaxRows
// of them) and the list stays still until Resume. Each line is kept as received (8-bit),
// for the filter and for export, and as rendered when it arrived (without time stamp or
// sender if they were not wanted), which is what the list shows.
class CTrafficListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int kMaxRows = 1000;

    explicit CTrafficListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // How lines appended from now on are shown.
    void setRendering(bool showTime, bool showSender);
    // Replaces every line at once (the last kMaxRows of them), dropping waiting ones.
    void setLines(const QList<QByteArray>& received);
    // Queues a line for the next turn of the event loop; at most kMaxRows wait, the newest.
    void append(QByteArray received);
    // Inserts the waiting lines now, unless paused.
    void flushPending();
    void clear();

    // Shows only the lines whose sender or text holds the filter (CTrafficFilter).
    void setFilter(const QString& text);
    const QString& filterText() const { return m_filter.text(); }
    // Holds the list still; resuming shows what arrived meanwhile.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }

    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    // A shown row: as shown, and as received.
    QByteArray line(int row) const { return m_rows.value(row).shown; }
    QByteArray receivedLine(int row) const { return m_rows.value(row).received; }
    QList<QByteArray> shownLines() const;
    QList<QByteArray> receivedLines() const;
    // The next row after `from` (before it, backwards) whose text holds `text` whatever the
    // case, going round at the end; -1 when none does. From -1 it starts at the first row
    // (the last, backwards).
    int find(const QString& text, int from, bool forward) const;

    // 8-bit text for the screen: UTF-8 where it is valid UTF-8, Latin-1 otherwise.
    static QString displayText(const QByteArray& line);

signals:
    // Lines went in at the bottom (once per flush).
    void linesAppended();

private:
    struct Line {
        QByteArray received;
        QByteArray shown;
    };

    Line made(QByteArray received) const;
    void dropOldest(qsizetype count);
    QList<Line> passing(const QList<Line>& lines) const;
    void appendRows(const QList<Line>& lines);

    // The newest kMaxRows lines, shown or not; m_rows are those the filter lets through.
    QList<Line> m_kept;
    QList<Line> m_rows;
    QList<Line> m_pending;
    CTrafficFilter m_filter;
    bool m_showTime = true;
    bool m_showSender = true;
    bool m_paused = false;
    bool m_flushScheduled = false;
};
