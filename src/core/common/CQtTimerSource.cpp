#include "core/common/CQtTimerSource.h"

#include "core/common/CQtTickTimer.h"

#include <QDeadlineTimer>

std::unique_ptr<ITickTimer> CQtTimerSource::createTimer() {
    return std::make_unique<CQtTickTimer>();
}

std::chrono::milliseconds CQtTimerSource::now() const {
    return std::chrono::milliseconds(QDeadlineTimer::current(Qt::PreciseTimer).deadline());
}
