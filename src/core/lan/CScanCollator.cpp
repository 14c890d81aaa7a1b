#include "core/lan/CScanCollator.h"

#include "core/transport/CIpv4Address.h"

CScanCollator::CScanCollator(quint32 networkAddress) : m_network(networkAddress) {}

quint32 CScanCollator::hostAddress(quint32 networkAddress, int host) {
    const quint32 network = CIpv4Address::toHostOrder(networkAddress) & 0xFFFFFF00u;
    return CIpv4Address::fromHostOrder(network | (static_cast<quint32>(host) & 0xFFu));
}

CScanCollator::Outcome* CScanCollator::outcome(int host) {
    if (host < kFirstHost || host > kLastHost) {
        return nullptr;
    }
    return &m_outcomes[static_cast<size_t>(host - kFirstHost)];
}

void CScanCollator::settleSilent(int host) {
    Outcome* settling = outcome(host);
    if (settling != nullptr && !settling->settled) {
        settling->settled = true;
    }
}

void CScanCollator::settleFound(int host, const CMacAddress& mac, const QString& name) {
    Outcome* settling = outcome(host);
    if (settling == nullptr || settling->settled) {
        return;
    }
    settling->settled = true;
    settling->found = true;
    settling->mac = mac;
    settling->name = name;
}

bool CScanCollator::isSettled(int host) const {
    if (host < kFirstHost || host > kLastHost) {
        return false;
    }
    return m_outcomes[static_cast<size_t>(host - kFirstHost)].settled;
}

QList<CLanScanRow> CScanCollator::takeDueRows() {
    QList<CLanScanRow> rows;
    while (!isComplete() && isSettled(m_next)) {
        const Outcome& due = m_outcomes[static_cast<size_t>(m_next - kFirstHost)];
        if (due.found) {
            rows.append(CLanScanRow{++m_found, addressOf(m_next), due.mac, due.name});
        }
        ++m_next;
    }
    return rows;
}

std::optional<quint32> CScanCollator::waitingFor() const {
    if (isComplete()) {
        return std::nullopt;
    }
    return addressOf(m_next);
}
