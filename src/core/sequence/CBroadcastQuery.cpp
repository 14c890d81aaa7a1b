#include "core/sequence/CBroadcastQuery.h"

#include "core/sequence/CSequenceRun.h"
#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"

std::vector<CPacedStep> CBroadcastQuery::steps(CTransport& transport,
                                               const std::atomic<bool>& firewallSuspect,
                                               QByteArray query, std::function<void()> blocked) {
    std::vector<CPacedStep> steps;
    const bool probeFirst = firewallSuspect.load();
    if (probeFirst) {
        steps.push_back({[&transport](CSequenceRun&) {
                             transport.ProbeFirewall();
                             return true;
                         },
                         kProbePause,
                         {}});
    }
    steps.push_back({[&transport, query = std::move(query), probeFirst](CSequenceRun&) {
                         // The look at the probe's answer is due whether the question left
                         // or not: a failed send has told the user of itself.
                         return transport.SendText(query, CIpv4Address::kBroadcast) || probeFirst;
                     },
                     probeFirst ? kProbeWait - kProbePause : std::chrono::milliseconds(0),
                     {}});
    if (probeFirst) {
        steps.push_back({[&firewallSuspect, blocked = std::move(blocked)](CSequenceRun&) {
                             if (firewallSuspect.load() && blocked) {
                                 blocked();
                             }
                             return true;
                         },
                         std::chrono::milliseconds(0),
                         {}});
    }
    return steps;
}

CSequenceRun* CBroadcastQuery::start(CSequencer& sequencer, const QString& name,
                                     CTransport& transport,
                                     const std::atomic<bool>& firewallSuspect, QByteArray query,
                                     std::function<void()> blocked) {
    return sequencer.start(
        name, CSequenceRun::fromList(
                  steps(transport, firewallSuspect, std::move(query), std::move(blocked))));
}
