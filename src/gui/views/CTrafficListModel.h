#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>

// The lines of the traffic list, newest at the bottom, at most kMaxRows. Appended lines
// wait until the event loop's next turn and then go in as one insertion (and the oldest
// as one removal), so a burst of thousands of lines costs the views one update, not
// thousands. Lines are kept as received (8-bit) and turned into text only when shown.
class CTrafficListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int kMaxRows = 1000;

    explicit CTrafficListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Replaces every line at once (the last kMaxRows of them), dropping waiting ones.
    void setLines(const QList<QByteArray>& lines);
    // Queues a line for the next turn of the event loop; at most kMaxRows wait, the newest.
    void append(QByteArray line);
    // Inserts the waiting lines now.
    void flushPending();
    void clear();

    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    QByteArray line(int row) const { return m_lines.value(row); }

    // 8-bit text for the screen: UTF-8 where it is valid UTF-8, Latin-1 otherwise.
    static QString displayText(const QByteArray& line);

signals:
    // Lines went in at the bottom (once per flush).
    void linesAppended();

private:
    QList<QByteArray> m_lines;
    QList<QByteArray> m_pending;
    bool m_flushScheduled = false;
};
