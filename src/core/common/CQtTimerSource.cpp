#include "core/common/CQtTimerSource.h"

#include "core/common/CQtTickTimer.h"

std::unique_ptr<ITickTimer> CQtTimerSource::createTimer() {
    return std::make_unique<CQtTickTimer>();
}
