#include "sim/CSimSite.h"

#include "core/plan/CValidationSchema.h"

#include <algorithm>

CSimSite::CSimSite(std::shared_ptr<const CSimModels> models) : m_models(std::move(models)) {}

namespace {

// Commands a gateway passes on to its bus; it answers the others itself.
bool goesOverTheBus(CSimCommand::Kind kind) {
    using Kind = CSimCommand::Kind;
    switch (kind) {
        case Kind::BusRegister:
        case Kind::BusArm:
        case Kind::DeviceReaddress:
        case Kind::DeviceQuery:
        case Kind::DeviceSet:
        case Kind::DeviceIdentify:
        case Kind::Keypad:
            return true;
        default:
            return false;
    }
}

}  // namespace

void CSimSite::addGateway(CSimGateway gateway) {
    gateway.setRestartSilenceMs(m_restartSilenceMs);
    m_gateways.append(std::move(gateway));
    m_busFreeAtMs.append(0);
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
    m_commandLoss = CSimRandom(~faults.seed);
    m_jitter = CSimRandom(faults.seed);
    applyReportedTypes();
}

bool CSimSite::setDeviceFaults(int gateway, std::optional<quint32> uid,
                               const CSimDeviceFaults& faults) {
    if (gateway < 0 || gateway >= m_gateways.size()) {
        return false;
    }
    CSimGateway& target = m_gateways[gateway];
    if (!uid) {
        target.setFaults(faults);
    } else if (CSimBusDevice* device = target.deviceByUid(*uid)) {
        device->setFaults(faults);
    } else {
        return false;
    }
    applyReportedTypes();
    return true;
}

void CSimSite::setLatency(const CSimLatency& latency) {
    m_latency = latency;
    m_jitter = CSimRandom(m_faults.seed);
}

void CSimSite::setRestartSilenceMs(qint64 silence) {
    m_restartSilenceMs = silence;
    for (CSimGateway& gateway : m_gateways) {
        gateway.setRestartSilenceMs(silence);
    }
}

bool CSimSite::receive(int gateway, QByteArrayView datagram, quint32 sender, qint64 nowMs,
                       const CSimArrival& arrival) {
    if (gateway < 0 || gateway >= m_gateways.size() || !m_gateways[gateway].hears(arrival)) {
        return false;
    }
    ++m_counters.received;
    const CSimCommand command = CSimCommand::parse(datagram);
    if (command.kind == CSimCommand::Kind::Invalid) {
        ++m_counters.invalid;
        return false;
    }
    CSimGateway& target = m_gateways[gateway];
    const bool overTheBus = goesOverTheBus(command.kind) && target.passesOn(command);
    const int restartsBefore = target.restartCount();
    const QList<QByteArray> replies =
        target.handle(command, sender, nowMs, CValidationSchema(m_models->schema()));
    if (target.restartCount() != restartsBefore) {
        // A gateway that restarts loses what it had yet to send.
        forgetPending(gateway);
    }
    queue(gateway, sender, replies, nowMs, overTheBus ? Path::Bus : Path::Gateway);
    return true;
}

bool CSimSite::losesCommand() {
    if (!m_commandLoss.chance(m_faults.commandDropShare)) {
        return false;
    }
    ++m_counters.commandsLost;
    return true;
}

bool CSimSite::pressDiscoverButton(int gateway, quint32 serial, qint64 nowMs) {
    if (gateway < 0 || gateway >= m_gateways.size()) {
        return false;
    }
    CSimGateway& target = m_gateways[gateway];
    const std::optional<quint32> armed = target.armedUid();
    const auto replies = target.pressDiscoverButton(serial);
    if (!replies) {
        return false;
    }
    if (armed && !target.armedUid()) {
        for (CSimGateway& other : m_gateways) {
            other.disarm(*armed);
        }
    }
    // Nobody asked for the bus yet: the announcement has nowhere to go.
    if (target.lastAsker() && !target.isSilent(nowMs)) {
        queue(gateway, *target.lastAsker(), *replies, nowMs, Path::Bus);
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
    // Replies that fell due while nobody looked go out in the order they fell due.
    std::stable_sort(due.begin(), due.end(), [](const CSimOutgoing& a, const CSimOutgoing& b) {
        return a.dueMs < b.dueMs;
    });
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

QList<qint64> CSimSite::dueTimes(int gateway, qsizetype count, qint64 nowMs, Path path) {
    QList<qint64> due;
    if (m_latency.isNone()) {
        due.fill(nowMs, count);
        return due;
    }
    const auto jitter = [this] {
        return static_cast<qint64>(m_jitter.below(static_cast<quint64>(m_latency.jitterMs) + 1));
    };
    if (path == Path::Gateway) {
        for (qsizetype i = 0; i < count; ++i) {
            due.append(nowMs + m_latency.gatewayMs + jitter());
        }
        std::sort(due.begin(), due.end());
        return due;
    }
    // The command waits for the bus; the answer's settings follow one another on it. The
    // jitter delays each reply on its way, never the bus: the next command finds the bus
    // free after busMs and the settings' own time, and the replies keep their order.
    qint64& busFree = m_busFreeAtMs[gateway];
    qint64 at = std::max(nowMs, busFree) + m_latency.busMs;
    qint64 arrives = at;
    for (qsizetype i = 0; i < count; ++i) {
        at += m_latency.busPerSettingMs;
        arrives = std::max(arrives, at + jitter());
        due.append(arrives);
    }
    busFree = at;
    return due;
}

void CSimSite::queue(int gateway, quint32 to, const QList<QByteArray>& replies, qint64 nowMs,
                     Path path) {
    const QList<qint64> due = dueTimes(gateway, replies.size(), nowMs, path);
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const QByteArray& reply = replies[i];
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
        const CSimGateway& from = m_gateways[gateway];
        m_pending.append(CSimOutgoing{gateway, to, from.replyPort().value_or(0), bytes,
                                      due[i] + std::max(0, m_faults.delayMs), from.address()});
    }
}

void CSimSite::forgetPending(int gateway) {
    m_pending.removeIf(
        [gateway](const CSimOutgoing& outgoing) { return outgoing.gateway == gateway; });
}

bool CSimSite::removeDevice(int gateway, quint32 uid) {
    if (gateway < 0 || gateway >= m_gateways.size()) {
        return false;
    }
    return m_gateways[gateway].devices().removeIf([&](const CSimBusDevice& device) {
        if (device.uid() != uid) {
            return false;
        }
        m_removedSerials.append(device.serial());
        return true;
    }) > 0;
}

bool CSimSite::addDevice(int gateway, CSimBusDevice device) {
    if (gateway < 0 || gateway >= m_gateways.size() || hasSerial(device.serial())) {
        return false;
    }
    m_gateways[gateway].devices().append(std::move(device));
    applyReportedTypes();
    return true;
}

bool CSimSite::hasSerial(quint32 serial) const {
    if (m_removedSerials.contains(serial)) {
        return true;
    }
    for (const CSimGateway& gateway : m_gateways) {
        for (const CSimBusDevice& device : gateway.devices()) {
            if (device.serial() == serial) {
                return true;
            }
        }
    }
    return false;
}

void CSimSite::applyReportedTypes() {
    const auto reported = [this](const QByteArray& type, const CSimDeviceFaults& own) {
        return m_faults.wrongType || own.otherType ? m_models->otherTypeOfFamily(type) : type;
    };
    for (CSimGateway& gateway : m_gateways) {
        gateway.setReportedType(reported(gateway.type(), gateway.faults()));
        for (CSimBusDevice& device : gateway.devices()) {
            device.setReportedType(reported(device.type(), device.faults()));
        }
    }
}
