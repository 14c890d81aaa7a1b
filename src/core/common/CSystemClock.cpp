#include "core/common/CSystemClock.h"

#include <QThread>

QDateTime CSystemClock::now() const {
    return QDateTime::currentDateTime();
}

void CSystemClock::sleep(std::chrono::milliseconds duration) {
    QThread::msleep(static_cast<unsigned long>(duration.count()));
}

CSystemClock& CSystemClock::instance() {
    static CSystemClock clock;
    return clock;
}
