#include "CSimDirectLink.h"

#include "core/protocol/CTrafficLine.h"
#include "core/transport/CInboundQueue.h"
#include "core/transport/CIpv4Address.h"

#include <QDateTime>

CSimDirectLink::CSimDirectLink(CSimSite& site, CInboundQueue& inbound, quint32 programAddress)
    : m_site(site), m_inbound(inbound), m_program(programAddress) {}

void CSimDirectLink::send(QByteArrayView text, quint32 address, qint64 nowMs) {
    const bool broadcast = address == CIpv4Address::kBroadcast;
    for (int g = 0; g < m_site.gateways().size(); ++g) {
        const quint32 own = m_site.gateways()[g].address();
        if ((broadcast || own == address) && !m_site.losesCommand()) {
            m_received.append({g, text.toByteArray(), broadcast});
            m_site.receive(g, text, m_program, nowMs, {broadcast ? 0u : own, 0});
        }
    }
}

int CSimDirectLink::deliverDue(qint64 nowMs) {
    const QTime received = QDateTime::fromMSecsSinceEpoch(nowMs).time();
    int queued = 0;
    for (const CSimOutgoing& reply : m_site.takeDue(nowMs)) {
        // The receive thread keeps trace texts and empty datagrams out of the queue.
        if (reply.bytes.isEmpty() || reply.bytes.startsWith('[') || reply.to != m_program) {
            continue;
        }
        m_inbound.push(CTrafficLine::build(received, reply.from, reply.bytes));
        ++queued;
    }
    return queued;
}
