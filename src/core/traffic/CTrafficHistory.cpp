#include "CTrafficHistory.h"

void CTrafficHistory::push(QByteArray line) {
    m_lines.push_back(std::move(line));
}

void CTrafficHistory::trimIfFull() {
    if (m_lines.size() <= kLimit) {
        return;
    }
    for (size_t i = 0; i < kTrim && !m_lines.empty(); ++i) {
        m_lines.pop_front();
    }
}

void CTrafficHistory::clear() {
    m_lines.clear();
}
