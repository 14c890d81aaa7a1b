#pragma once

#include <QByteArray>
#include <deque>

// The last received traffic lines, oldest first. The history holds at most kLimit lines;
// past that the kTrim oldest go at once, so trimming happens once every kTrim lines.
// The log file is kept apart (CTrafficLog): lines reach it as they arrive.
class CTrafficHistory {
public:
    static constexpr size_t kLimit = 200;
    static constexpr size_t kTrim = 20;

    // Appends a line. The caller tells the views, then calls trimIfFull().
    void push(QByteArray line);
    // Past the limit, drops the kTrim oldest lines.
    void trimIfFull();
    void clear();
    const std::deque<QByteArray>& lines() const { return m_lines; }

private:
    std::deque<QByteArray> m_lines;
};
