#include "core/common/CQtTickTimer.h"

CQtTickTimer::CQtTickTimer() {
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        // The handler may destroy this timer with its control; call a copy of it.
        const TickHandler handler = m_handler;
        if (handler) {
            handler();
        }
    });
}

void CQtTickTimer::setTickHandler(TickHandler handler) {
    m_handler = std::move(handler);
}

void CQtTickTimer::start(std::chrono::milliseconds period) {
    m_timer.start(period);
}

void CQtTickTimer::stop() {
    m_timer.stop();
}

bool CQtTickTimer::isActive() const {
    return m_timer.isActive();
}
