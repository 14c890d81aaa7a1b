#pragma once

#include <chrono>
#include <functional>

// A repeating timer as its user sees it. Controls that count seconds and sequences that
// pause get theirs injected (ITimerSource), so that tests can move time by hand instead of
// waiting.
class ITickTimer {
public:
    using TickHandler = std::function<void()>;

    virtual ~ITickTimer() = default;

    virtual void setTickHandler(TickHandler handler) = 0;
    // Ticks every period until stopped; starting a running timer starts it afresh.
    virtual void start(std::chrono::milliseconds period) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};
