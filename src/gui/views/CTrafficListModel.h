#pragma once

#include "core/protocol/CTrafficFilter.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <optional>

class CTrafficHistory;

// The traffic list: at most kMaxRows lines of the session's traffic (CTrafficHistory) that
// the filter lets through, normally the newest, newest at the bottom. The session keeps
// far more than the list shows, so the list is rebuilt from it whenever the filter
// changes or the view opens, and Find and Export go through all of it. Appended lines
// wait until the event loop's next turn and then go in as one insertion (and the oldest
// as one removal), so a burst of thousands of lines costs the views one update, not
// thousands. While paused, lines wait (the newest kMaxRows of them) and the list stays
// still until Resume. A Find that lands on a line older than the list pauses it on the
// part of the session around that line; Resume goes back to the newest. Each row is kept
// as received (8-bit), for export, and as rendered when it was shown (without time stamp
// or sender if they were not wanted), which is what the list shows.
class CTrafficListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int kMaxRows = 1000;

    explicit CTrafficListModel(const CTrafficHistory& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // How lines shown from now on look.
    void setRendering(bool showTime, bool showSender);
    // Shows the newest lines of the session, dropping waiting ones and leaving an older
    // part Find went to.
    void reload();
    // Queues the session's newest line for the next turn of the event loop; at most
    // kMaxRows wait, the newest.
    void appendNewest();
    // Inserts the waiting lines now, unless paused.
    void flushPending();
    // Empties the list; the session is its owner's to clear.
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
    // The session's lines that pass the filter: as received, and as the list would show
    // them now (for export).
    QList<QByteArray> sessionLines() const;
    QList<QByteArray> sessionShownLines() const;
    // The row of the next session line after the one in row `from` (before it, backwards)
    // that passes the filter and whose shown text holds `text` whatever the case, going
    // round at the end; -1 when none does. From -1 it starts at the oldest line (the
    // newest, backwards). A line older than the list is brought into it (see above).
    int find(const QString& text, int from, bool forward);

    // 8-bit text for the screen: UTF-8 where it is valid UTF-8, Latin-1 otherwise.
    static QString displayText(const QByteArray& line);

signals:
    // Lines went in at the bottom (once per flush).
    void linesAppended();

private:
    struct Line {
        QByteArray received;
        QByteArray shown;
        quint64 number = 0;
    };

    Line made(quint64 number) const;
    bool passes(quint64 number) const;
    QList<Line> passing(const QList<Line>& lines) const;
    void appendRows(const QList<Line>& lines);
    void dropFirstRows(qsizetype count);
    void showAround(quint64 number);
    int rowOf(quint64 number) const;
    std::optional<quint64> findNumber(const QString& text, int from, bool forward) const;

    const CTrafficHistory& m_session;
    QList<Line> m_rows;
    QList<Line> m_pending;
    CTrafficFilter m_filter;
    bool m_showTime = true;
    bool m_showSender = true;
    bool m_paused = false;
    bool m_flushScheduled = false;
};
