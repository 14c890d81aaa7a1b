#pragma once

#include "core/common/IClock.h"

#include <QMutex>

// A clock that moves only when told to; sleeping advances it at once.
class CManualClock : public IClock {
public:
    explicit CManualClock(QDateTime start);

    QDateTime now() const override;
    void sleep(std::chrono::milliseconds duration) override;

    void advance(std::chrono::milliseconds duration);
    void set(const QDateTime& time);
    std::chrono::milliseconds slept() const;

private:
    mutable QMutex m_mutex;
    QDateTime m_now;
    std::chrono::milliseconds m_slept{0};
};
