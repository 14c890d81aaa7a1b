#pragma once

#include <QDateTime>
#include <chrono>

// Time as the program sees it. Everything that stamps a line or waits goes through a
// clock, so tests can drive time by hand.
class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime now() const = 0;
    // Blocks the calling thread; a test clock advances its time instead.
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};
