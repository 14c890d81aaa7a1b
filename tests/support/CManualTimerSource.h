#pragma once

#include "core/common/ITimerSource.h"

#include <QList>
#include <chrono>
#include <memory>
#include <optional>

class CManualTickTimer;

// Time for timers that moves only when a test says so. Timers made here tick in the order
// their due times fall, as real ones would, however far a single advance() jumps, and a
// handler that stops or restarts a timer is honoured before the next tick is chosen.
class CManualTimerSource : public ITimerSource {
public:
    CManualTimerSource();

    std::unique_ptr<ITickTimer> createTimer() override;
    void advance(std::chrono::milliseconds duration);
    std::chrono::milliseconds now() const override;
    int activeTimerCount() const;
    // When the next active timer ticks; nothing while none is active. For a driver that
    // moves time from one event to the next, as a run on virtual time does.
    std::optional<std::chrono::milliseconds> nextDue() const;

    // Shared with the timers, so that a timer may outlive the source or the other way round.
    struct Schedule {
        std::chrono::milliseconds now{0};
        QList<CManualTickTimer*> timers;
    };

private:
    CManualTickTimer* nextDueBy(std::chrono::milliseconds limit) const;

    std::shared_ptr<Schedule> m_schedule;
};
