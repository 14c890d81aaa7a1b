#include "CTrafficHistory.h"

void CTrafficHistory::push(QByteArray line) {
    m_lines.push_back(std::move(line));
}

void CTrafficHistory::trimIfFull() {
    if (m_lines.size() <= kLimit) {
        return;
    }
    for (size_t i = 0; i < kTrim && !m_lines.empty(); ++i) {
        writeToLog(m_lines.front());
        m_lines.pop_front();
    }
}

void CTrafficHistory::clear() {
    m_lines.clear();
}

bool CTrafficHistory::openLog(const QString& path) {
    if (m_log.isOpen()) {
        m_log.close();
    }
    m_log.setFileName(path);
    return m_log.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text);
}

void CTrafficHistory::flushAndCloseLog() {
    if (!m_log.isOpen()) {
        return;
    }
    for (const QByteArray& line : m_lines) {
        writeToLog(line);
    }
    m_log.close();
}

void CTrafficHistory::writeToLog(const QByteArray& line) {
    if (m_log.isOpen()) {
        m_log.write(line);
        m_log.write("\n", 1);
    }
}
