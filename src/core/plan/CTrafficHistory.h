#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <deque>

// The last received traffic lines and the traffic log file they drain into. The history
// holds at most kLimit lines; past that the kTrim oldest go at once (and into the log
// while logging), so trimming and its writes happen once every kTrim lines.
class CTrafficHistory {
public:
    static constexpr size_t kLimit = 200;
    static constexpr size_t kTrim = 20;

    // Appends a line. The caller tells the views, then calls trimIfFull().
    void push(QByteArray line);
    // Past the limit, drops (and logs) the kTrim oldest lines.
    void trimIfFull();
    void clear();
    const std::deque<QByteArray>& lines() const { return m_lines; }

    // Opens (creating, keeping contents) the log file for appending.
    bool openLog(const QString& path);
    // Writes the whole history to the log and closes it; the history stays.
    void flushAndCloseLog();
    bool isLogOpen() const { return m_log.isOpen(); }

private:
    void writeToLog(const QByteArray& line);

    std::deque<QByteArray> m_lines;
    QFile m_log;
};
