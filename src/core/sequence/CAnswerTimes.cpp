#include "core/sequence/CAnswerTimes.h"

#include <algorithm>

void CAnswerTimes::record(std::chrono::milliseconds answerTime) {
    m_recent[m_count % m_recent.size()] = std::max(answerTime, std::chrono::milliseconds(0));
    ++m_count;
}

std::optional<std::chrono::milliseconds> CAnswerTimes::silenceLimit(
    std::chrono::milliseconds pause) const {
    if (m_count < kFewestAnswers) {
        return std::nullopt;
    }
    const size_t kept = std::min(m_count, m_recent.size());
    const std::chrono::milliseconds slowest =
        *std::max_element(m_recent.begin(), m_recent.begin() + static_cast<std::ptrdiff_t>(kept));
    const std::chrono::milliseconds limit = std::max(kShortestLimit, slowest * kMargin);
    if (limit >= pause) {
        return std::nullopt;
    }
    return limit;
}
