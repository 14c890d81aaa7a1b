#pragma once

#include "sim/CSimSite.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

class CInboundQueue;

// A site joined to the program in the same process, without sockets: a text the program
// sends reaches the gateways at the time the caller gives, and the replies come back as
// traffic lines into the program's inbound queue when they fall due, as the receive
// thread would queue them. With the time taken from one virtual clock for both sides, a
// run that would take twenty minutes of device time is replayed in a moment, and the same
// every time.
class CSimDirectLink {
public:
    struct Received {
        int gateway;
        QByteArray text;
        bool broadcast;
    };

    CSimDirectLink(CSimSite& site, CInboundQueue& inbound, quint32 programAddress);

    // A datagram from the program to one gateway's address, or to every gateway.
    void send(QByteArrayView text, quint32 address, qint64 nowMs);
    // Queues the replies due by nowMs; returns how many lines were queued.
    int deliverDue(qint64 nowMs);
    std::optional<qint64> nextDueMs() const { return m_site.nextDueMs(); }
    // Every datagram a gateway was handed (not those lost on the way), in order.
    const QList<Received>& received() const { return m_received; }

private:
    CSimSite& m_site;
    CInboundQueue& m_inbound;
    quint32 m_program;
    QList<Received> m_received;
};
