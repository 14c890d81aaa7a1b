#pragma once

#include "core/common/ITickTimer.h"

#include <QTimer>

// The real timer: ticks from the GUI thread's event loop.
class CQtTickTimer : public ITickTimer {
public:
    CQtTickTimer();

    void setTickHandler(TickHandler handler) override;
    void start(std::chrono::milliseconds period) override;
    void stop() override;
    bool isActive() const override;

private:
    QTimer m_timer;
    TickHandler m_handler;
};
