#pragma once

#include "CManualTimerSource.h"
#include "core/common/ITickTimer.h"

#include <memory>

// A timer of a CManualTimerSource: it ticks only while the source is advanced.
class CManualTickTimer : public ITickTimer {
public:
    explicit CManualTickTimer(std::shared_ptr<CManualTimerSource::Schedule> schedule);
    ~CManualTickTimer() override;
    CManualTickTimer(const CManualTickTimer&) = delete;
    CManualTickTimer& operator=(const CManualTickTimer&) = delete;

    void setTickHandler(TickHandler handler) override;
    void start(std::chrono::milliseconds period) override;
    void stop() override;
    bool isActive() const override;

    std::chrono::milliseconds due() const { return m_due; }
    // Moves the due time on by one period, then calls the handler.
    void fire();

private:
    std::shared_ptr<CManualTimerSource::Schedule> m_schedule;
    TickHandler m_handler;
    std::chrono::milliseconds m_period{0};
    std::chrono::milliseconds m_due{0};
    bool m_active = false;
};
