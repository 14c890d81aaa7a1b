#pragma once

#include "sequence/CPacedStep.h"

#include <QByteArray>
#include <chrono>
#include <vector>

class CTransport;

// A question broadcast to every gateway, as the configuration views' Refresh and Discover
// ask it: where our own broadcasts may be blocked by a firewall, a probe goes first and the
// question a second later, so that the probe's answer can clear the suspicion.
class CBroadcastQuery {
public:
    static constexpr std::chrono::milliseconds kProbePause{1000};

    static std::vector<CPacedStep> steps(CTransport& transport, bool probeFirst, QByteArray query);
};
