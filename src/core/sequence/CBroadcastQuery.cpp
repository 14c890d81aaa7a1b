#include "sequence/CBroadcastQuery.h"

#include "sequence/CSequenceRun.h"
#include "transport/CIpv4Address.h"
#include "transport/CTransport.h"

std::vector<CPacedStep> CBroadcastQuery::steps(CTransport& transport, bool probeFirst,
                                               QByteArray query) {
    std::vector<CPacedStep> steps;
    if (probeFirst) {
        steps.push_back({[&transport](CSequenceRun&) {
                             transport.ProbeFirewall();
                             return true;
                         },
                         kProbePause,
                         {}});
    }
    steps.push_back({[&transport, query = std::move(query)](CSequenceRun&) {
                         return transport.SendText(query, CIpv4Address::kBroadcast);
                     },
                     std::chrono::milliseconds(0),
                     {}});
    return steps;
}
