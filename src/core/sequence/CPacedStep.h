#pragma once

#include "CAwait.h"

#include <chrono>
#include <functional>

class CSequenceRun;

// One step of a sequence: something to do on the GUI thread (usually one send), then a
// pause before the next step. The action returns false when the run cannot go on (a send
// failed: its message was shown once, and a hundred more would help nobody).
struct CPacedStep {
    using Action = std::function<bool(CSequenceRun& run)>;

    Action action;
    std::chrono::milliseconds pause{0};
    // Paced by replies, the pause ends early once this has come.
    CAwait await;

    // A step that only waits.
    static CPacedStep wait(std::chrono::milliseconds pause, CAwait await = {}) {
        return {Action(), pause, std::move(await)};
    }
};
