#pragma once

#include "core/common/ITickTimer.h"

#include <memory>

// Where timers come from. Whatever waits (a pause of a sequence, a view's firewall check,
// a control's repeat) asks its source, so that tests can hand in one whose time they move
// by hand (their CManualTimerSource) while the program uses the event loop's (CQtTimerSource).
class ITimerSource {
public:
    virtual ~ITimerSource() = default;
    virtual std::unique_ptr<ITickTimer> createTimer() = 0;
};
