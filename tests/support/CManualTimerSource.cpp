#include "CManualTimerSource.h"

#include "CManualTickTimer.h"

CManualTimerSource::CManualTimerSource() : m_schedule(std::make_shared<Schedule>()) {}

std::unique_ptr<ITickTimer> CManualTimerSource::createTimer() {
    return std::make_unique<CManualTickTimer>(m_schedule);
}

void CManualTimerSource::advance(std::chrono::milliseconds duration) {
    const std::chrono::milliseconds target = m_schedule->now + duration;
    while (CManualTickTimer* timer = nextDueBy(target)) {
        m_schedule->now = timer->due();
        timer->fire();
    }
    m_schedule->now = target;
}

std::chrono::milliseconds CManualTimerSource::now() const {
    return m_schedule->now;
}

int CManualTimerSource::activeTimerCount() const {
    int count = 0;
    for (const CManualTickTimer* timer : m_schedule->timers) {
        count += timer->isActive() ? 1 : 0;
    }
    return count;
}

std::optional<std::chrono::milliseconds> CManualTimerSource::nextDue() const {
    const CManualTickTimer* next = nextDueBy(std::chrono::milliseconds::max());
    return next != nullptr ? std::optional(next->due()) : std::nullopt;
}

CManualTickTimer* CManualTimerSource::nextDueBy(std::chrono::milliseconds limit) const {
    CManualTickTimer* next = nullptr;
    for (CManualTickTimer* timer : m_schedule->timers) {
        const bool due = timer->isActive() && timer->due() <= limit;
        if (due && (next == nullptr || timer->due() < next->due())) {
            next = timer;
        }
    }
    return next;
}
