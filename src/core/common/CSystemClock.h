#pragma once

#include "core/common/IClock.h"

class CSystemClock : public IClock {
public:
    QDateTime now() const override;
    void sleep(std::chrono::milliseconds duration) override;

    static CSystemClock& instance();
};
