#include "CQtTimerSource.h"

#include "CQtTickTimer.h"

std::unique_ptr<ITickTimer> CQtTimerSource::createTimer() {
    return std::make_unique<CQtTickTimer>();
}
