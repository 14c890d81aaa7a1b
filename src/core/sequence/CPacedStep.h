#pragma once

#include "core/sequence/CAwait.h"

#include <chrono>
#include <functional>

class CSequenceRun;

// One step of a sequence: something to do on the GUI thread (usually one send), then a
// pause before the next step. The action returns false when the run cannot go on (a send
// failed: its message was shown once, and a hundred more would help nobody).
struct CPacedStep {
    using Action = std::function<bool(CSequenceRun& run)>;

    // A step whose answer may be lost on the way: when the pause is over and the answer is
    // not in, the action runs again, followed by the same pause. Only for actions that are
    // safe to repeat (CRetryRule).
    struct Repeat {
        // Repeats in a row after pauses that brought nothing new, at most: a report with
        // holes is asked again for as long as asking brings something, and times more when
        // it no longer does (0: never repeated).
        int times = 0;
        // Whether the answer is in; empty: whether the awaited reply came during the pause
        // (under either pacing).
        std::function<bool()> answered;
        // How much of the answer has come so far (it only grows); empty: every repeat counts.
        std::function<size_t()> received;
    };

    CPacedStep() = default;
    CPacedStep(Action toDo, std::chrono::milliseconds pauseAfter, CAwait awaited = {})
        : action(std::move(toDo)), pause(pauseAfter), await(std::move(awaited)) {}
    CPacedStep(Action toDo, std::chrono::milliseconds pauseAfter, CAwait awaited, Repeat repeats)
        : action(std::move(toDo)),
          pause(pauseAfter),
          await(std::move(awaited)),
          repeat(std::move(repeats)) {}

    Action action;
    std::chrono::milliseconds pause{0};
    // Paced by replies, the pause ends early once this has come.
    CAwait await;
    Repeat repeat;

    // A step that only waits.
    static CPacedStep wait(std::chrono::milliseconds pause, CAwait await = {}) {
        return {Action(), pause, std::move(await)};
    }
};
