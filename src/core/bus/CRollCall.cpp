#include "core/bus/CRollCall.h"

#include "core/bus/CBusPlan.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/protocol/CCommands.h"
#include "core/transport/CIpv4Address.h"

#include <algorithm>

std::vector<quint32> CRollCall::candidates(const std::set<quint32>& known) const {
    const quint32 highest = known.empty() ? 0 : *known.rbegin();
    const quint32 top = highest + kMargin;
    std::vector<quint32> uids;
    size_t fresh = 0;
    for (quint32 uid = 1; uid <= top; ++uid) {
        if (known.contains(uid)) {
            continue;
        }
        // A UID asked before counts against the limit whether or not it answered.
        if (!m_asked.contains(uid) && m_asked.size() + fresh++ >= kMostUids) {
            break;
        }
        uids.push_back(uid);
    }
    return uids;
}

std::vector<quint32> CRollCall::nextRound(const std::set<quint32>& known) {
    m_announced = m_announced.value_or(known.size());
    m_found = known.size() - std::min(known.size(), *m_announced);
    std::vector<quint32> round;
    for (const quint32 uid : candidates(known)) {
        int& times = m_asked[uid];
        if (times > m_retries) {
            continue;  // silent every time it was asked
        }
        ++times;
        ++m_queries;
        round.push_back(uid);
    }
    m_over = round.empty();
    return round;
}

std::set<quint32> CRollCall::knownUids(const pugi::xml_document& plan) {
    std::set<quint32> uids;
    for (const pugi::xml_node& network :
         plan.document_element().children("Network_Configuration")) {
        for (const pugi::xml_node& gateway : network.children("UBRIX")) {
            for (const pugi::xml_node& device : gateway.children("DEVICE")) {
                if (const pugi::xml_attribute uid = device.attribute("UID")) {
                    uids.insert(CBusPlan::deviceNumber(uid.value()));
                }
            }
        }
    }
    return uids;
}

CSequenceRun::StepSource CRollCall::lane(std::shared_ptr<CRollCall> call, const CUbrixVorelDoc& doc,
                                         Send send) {
    return [call = std::move(call), &doc, send = std::move(send)]() -> std::optional<CPacedStep> {
        const std::vector<quint32> round = call->nextRound(knownUids(doc.plan()));
        if (round.empty()) {
            return std::nullopt;
        }
        return CPacedStep{
            [round, send](CSequenceRun&) {
                for (const quint32 uid : round) {
                    if (!send(CCommands::busDeviceQuery(uid), CIpv4Address::kBroadcast)) {
                        return false;
                    }
                }
                return true;
            },
            kRoundPause};
    };
}
