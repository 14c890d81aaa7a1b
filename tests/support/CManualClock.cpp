#include "CManualClock.h"

#include <QMutexLocker>

CManualClock::CManualClock(QDateTime start) : m_now(std::move(start)) {}

QDateTime CManualClock::now() const {
    QMutexLocker lock(&m_mutex);
    return m_now;
}

void CManualClock::sleep(std::chrono::milliseconds duration) {
    QMutexLocker lock(&m_mutex);
    m_now = m_now.addMSecs(duration.count());
    m_slept += duration;
}

void CManualClock::advance(std::chrono::milliseconds duration) {
    QMutexLocker lock(&m_mutex);
    m_now = m_now.addMSecs(duration.count());
}

void CManualClock::set(const QDateTime& time) {
    QMutexLocker lock(&m_mutex);
    m_now = time;
}

std::chrono::milliseconds CManualClock::slept() const {
    QMutexLocker lock(&m_mutex);
    return m_slept;
}
