#include "CManualTickTimer.h"

#include <algorithm>

CManualTickTimer::CManualTickTimer(std::shared_ptr<CManualTimerSource::Schedule> schedule)
    : m_schedule(std::move(schedule)) {
    m_schedule->timers.append(this);
}

CManualTickTimer::~CManualTickTimer() {
    m_schedule->timers.removeOne(this);
}

void CManualTickTimer::setTickHandler(TickHandler handler) {
    m_handler = std::move(handler);
}

void CManualTickTimer::start(std::chrono::milliseconds period) {
    // A zero period would tick forever within one advance().
    m_period = std::max(period, std::chrono::milliseconds(1));
    m_due = m_schedule->now + m_period;
    m_active = true;
}

void CManualTickTimer::stop() {
    m_active = false;
}

bool CManualTickTimer::isActive() const {
    return m_active;
}

void CManualTickTimer::fire() {
    m_due += m_period;
    // The handler may destroy this timer (its control closes); keep our own copy to call.
    const TickHandler handler = m_handler;
    if (handler) {
        handler();
    }
}
