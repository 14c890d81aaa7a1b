#pragma once

#include "core/sequence/CSequenceRun.h"

#include <QByteArrayView>
#include <chrono>
#include <functional>

class CUbrixVorelDoc;

// Waiting for a restarted gateway: after a first pause it is asked for its name, again
// after every pause, until the plan holds its name again (its answer entered it) or
// kAttempts questions went unanswered. So a restarted gateway comes back into the trees by
// itself. Paced by replies a pause ends at the gateway's answer; fixed pacing waits it out.
class CGatewayReturn {
public:
    using Send = std::function<bool(QByteArrayView text, quint32 address)>;

    static constexpr const char* kRunName = "gateway.return";
    static constexpr std::chrono::milliseconds kPause{2000};
    // With the first pause, a minute in all.
    static constexpr int kAttempts = 29;

    // How long the gateway is given, in whole seconds.
    static int limitSeconds();
    // The steps; the plan is read (whether the gateway is back) on the GUI thread between
    // two steps.
    static CSequenceRun::StepSource steps(const CUbrixVorelDoc& doc, quint32 address, Send send);
    static bool isBack(const CUbrixVorelDoc& doc, quint32 address);
};
