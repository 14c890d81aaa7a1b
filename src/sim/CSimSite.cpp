#include "CSimSite.h"

#include "plan/CValidationSchema.h"

#include <algorithm>

CSimSite::CSimSite(std::shared_ptr<const CSimModels> models) : m_models(std::move(models)) {}

void CSimSite::addGateway(CSimGateway gateway) {
    gateway.setRestartSilenceMs(m_restartSilenceMs);
    m_gateways.append(std::move(gateway));
    applyReportedTypes();
}

int CSimSite::gatewayIndex(quint32 address) const {
    for (int i = 0; i < m_gateways.size(); ++i) {
        if (m_gateways[i].address() == address) {
            return i;
        }
    }
    return -1;
}

void CSimSite::setFaults(const CSimFaults& faults) {
    m_faults = faults;
    m_random = CSimRandom(faults.seed);
    applyReportedTypes();
}

void CSimSite::setRestartSilenceMs(qint64 silence) {
    m_restartSilenceMs = silence;
    for (CSimGateway& gateway : m_gateways) {
        gateway.setRestartSilenceMs(silence);
    }
}

bool CSimSite::receive(int gateway, QByteArrayView datagram, quint32 sender, qint64 nowMs) {
    if (gateway < 0 || gateway >= m_gateways.size()) {
        return false;
    }
    ++m_counters.received;
    const CSimCommand command = CSimCommand::parse(datagram);
    if (command.kind == CSimCommand::Kind::Invalid) {
        ++m_counters.invalid;
        return false;
    }
    CSimGateway& target = m_gateways[gateway];
    const int restartsBefore = target.restartCount();
    const QList<QByteArray> replies =
        target.handle(command, sender, nowMs, CValidationSchema(m_models->schema()));
    if (target.restartCount() != restartsBefore) {
        // A gateway that restarts loses what it had yet to send.
        forgetPending(gateway);
    }
    queue(gateway, sender, replies, nowMs);
    return true;
}

bool CSimSite::pressDiscoverButton(int gateway, quint32 serial, qint64 nowMs) {
    if (gateway < 0 || gateway >= m_gateways.size()) {
        return false;
    }
    CSimGateway& target = m_gateways[gateway];
    const auto replies = target.pressDiscoverButton(serial);
    if (!replies) {
        return false;
    }
    // Nobody asked for the bus yet: the announcement has nowhere to go.
    if (target.lastAsker() && !target.isSilent(nowMs)) {
        queue(gateway, *target.lastAsker(), *replies, nowMs);
    }
    return true;
}

QList<CSimOutgoing> CSimSite::takeDue(qint64 nowMs) {
    QList<CSimOutgoing> due;
    QList<CSimOutgoing> later;
    for (CSimOutgoing& outgoing : m_pending) {
        (outgoing.dueMs <= nowMs ? due : later).append(std::move(outgoing));
    }
    m_pending.swap(later);
    return due;
}

std::optional<qint64> CSimSite::nextDueMs() const {
    if (m_pending.isEmpty()) {
        return std::nullopt;
    }
    return std::min_element(
               m_pending.begin(), m_pending.end(),
               [](const CSimOutgoing& a, const CSimOutgoing& b) { return a.dueMs < b.dueMs; })
        ->dueMs;
}

void CSimSite::queue(int gateway, quint32 to, const QList<QByteArray>& replies, qint64 nowMs) {
    for (const QByteArray& reply : replies) {
        ++m_counters.replies;
        if (m_random.chance(m_faults.dropShare)) {
            ++m_counters.dropped;
            continue;
        }
        QByteArray bytes = reply;
        if (m_random.chance(m_faults.malformedShare)) {
            ++m_counters.malformed;
            const auto how =
                static_cast<CSimFaults::Malformation>(m_random.below(CSimFaults::kMalformations));
            bytes = CSimFaults::malform(reply, how, m_random);
        }
        m_pending.append(CSimOutgoing{gateway, to, bytes, nowMs + std::max(0, m_faults.delayMs)});
    }
}

void CSimSite::forgetPending(int gateway) {
    m_pending.removeIf(
        [gateway](const CSimOutgoing& outgoing) { return outgoing.gateway == gateway; });
}

void CSimSite::applyReportedTypes() {
    for (CSimGateway& gateway : m_gateways) {
        gateway.setReportedType(m_faults.wrongType ? m_models->otherTypeOfFamily(gateway.type())
                                                   : gateway.type());
        for (CSimBusDevice& device : gateway.devices()) {
            device.setReportedType(m_faults.wrongType ? m_models->otherTypeOfFamily(device.type())
                                                      : device.type());
        }
    }
}
