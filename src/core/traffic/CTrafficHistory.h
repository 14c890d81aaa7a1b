#pragma once

#include <QByteArray>
#include <deque>

// The session's traffic lines, oldest first: what the traffic view rebuilds its list from
// and what its filter, Find and Export go through. It keeps at least the last kLimit
// lines; past kLimit + kTrim the kTrim oldest go at once, so trimming happens once every
// kTrim lines. A line keeps its number (counted from the session's first line) while it
// is kept, so a view can tell where in the session a line it shows stands. The log file
// is kept apart (CTrafficLog): lines reach it as they arrive.
class CTrafficHistory {
public:
    static constexpr size_t kLimit = 100'000;
    static constexpr size_t kTrim = 1'000;

    // Appends a line. The caller tells the views, then calls trimIfFull().
    void push(QByteArray line);
    // Past the limit and a trim's worth, drops the kTrim oldest lines.
    void trimIfFull();
    void clear();
    const std::deque<QByteArray>& lines() const { return m_lines; }

    // The number of the oldest kept line, and of the line after the newest.
    quint64 firstNumber() const { return m_firstNumber; }
    quint64 endNumber() const { return m_firstNumber + m_lines.size(); }
    // The kept line of that number; call only for firstNumber() <= number < endNumber().
    const QByteArray& at(quint64 number) const { return m_lines[number - m_firstNumber]; }

private:
    std::deque<QByteArray> m_lines;
    quint64 m_firstNumber = 0;
};
