#include "core/traffic/CTrafficHistory.h"

void CTrafficHistory::push(QByteArray line) {
    m_lines.push_back(std::move(line));
}

void CTrafficHistory::trimIfFull() {
    if (m_lines.size() < kLimit + kTrim) {
        return;
    }
    for (size_t i = 0; i < kTrim; ++i) {
        m_lines.pop_front();
    }
    m_firstNumber += kTrim;
}

void CTrafficHistory::clear() {
    m_firstNumber += m_lines.size();
    m_lines.clear();
}
