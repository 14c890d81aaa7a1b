#include "core/transport/CInboundQueue.h"

#include <QMutexLocker>

void CInboundQueue::push(QByteArray line) {
    QMutexLocker lock(&m_mutex);
    m_lines.push_back(std::move(line));
}

bool CInboundQueue::isEmpty() const {
    QMutexLocker lock(&m_mutex);
    return m_lines.empty();
}

QByteArray CInboundQueue::pop() {
    QMutexLocker lock(&m_mutex);
    if (m_lines.empty()) {
        return {};
    }
    QByteArray line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

qsizetype CInboundQueue::size() const {
    QMutexLocker lock(&m_mutex);
    return static_cast<qsizetype>(m_lines.size());
}
