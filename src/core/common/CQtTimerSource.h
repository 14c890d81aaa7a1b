#pragma once

#include "core/common/ITimerSource.h"

// Timers of the calling thread's event loop.
class CQtTimerSource : public ITimerSource {
public:
    std::unique_ptr<ITickTimer> createTimer() override;
    std::chrono::milliseconds now() const override;
};
