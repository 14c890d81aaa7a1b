#pragma once

#include "core/common/ITickTimer.h"

#include <chrono>
#include <memory>

// Where timers come from. Whatever waits (a pause of a sequence, a view's firewall check,
// a control's repeat) asks its source, so that tests can hand in one whose time they move
// by hand (their CManualTimerSource) while the program uses the event loop's (CQtTimerSource).
class ITimerSource {
public:
    virtual ~ITimerSource() = default;
    virtual std::unique_ptr<ITickTimer> createTimer() = 0;
    // Monotonic time of these timers, for measuring how long an answer took.
    virtual std::chrono::milliseconds now() const = 0;
};
