#pragma once

#include "core/sequence/CPacedStep.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

class CSequenceRun;
class CSequencer;
class CTransport;

// A question broadcast to every gateway, as the configuration views' Refresh and Discover
// ask it: where our own broadcasts may be blocked by a firewall, a probe goes first and the
// question a second later, so that the probe's answer can clear the suspicion; when the
// answer has still not come some seconds after the probe, the user is told.
class CBroadcastQuery {
public:
    static constexpr std::chrono::milliseconds kProbePause{1000};
    // From the probe to the look whether its answer came.
    static constexpr std::chrono::milliseconds kProbeWait{4000};
    static constexpr const char* kFirewallBlocked = "UDP Ports are blocked by firewall";

    // The probe goes first only while firewallSuspect is set; blocked() is called when it is
    // still set kProbeWait after the probe, whether or not the question could leave.
    static std::vector<CPacedStep> steps(CTransport& transport,
                                         const std::atomic<bool>& firewallSuspect, QByteArray query,
                                         std::function<void()> blocked);
    // The steps as a run of the sequencer under that name, which outlives a view switch.
    static CSequenceRun* start(CSequencer& sequencer, const QString& name, CTransport& transport,
                               const std::atomic<bool>& firewallSuspect, QByteArray query,
                               std::function<void()> blocked);
};
