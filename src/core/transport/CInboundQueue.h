#pragma once

#include <QByteArray>
#include <QMutex>
#include <deque>

// The document's inbound queue: received traffic lines waiting for the reply parser.
// The receive thread and the upload workers push; the GUI thread pops. Every operation
// takes the lock, so a line is never seen half-written.
class CInboundQueue {
public:
    void push(QByteArray line);
    bool isEmpty() const;
    // The oldest line; an empty text when the queue is empty.
    QByteArray pop();
    qsizetype size() const;

private:
    mutable QMutex m_mutex;
    std::deque<QByteArray> m_lines;
};
