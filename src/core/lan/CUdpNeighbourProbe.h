#pragma once

#include "core/lan/INeighbourProbe.h"
#include "core/transport/CFileDescriptor.h"

#include <QString>

// Resolution without privileges: an empty UDP datagram to the discard port makes the
// kernel resolve the address before it can send, and the answer appears in the kernel's
// neighbour table, which anyone may read. The datagram never goes through a router
// (MSG_DONTROUTE), so only hosts on the adapter's own link are asked.
class CUdpNeighbourProbe : public INeighbourProbe {
public:
    static constexpr int kDiscardPort = 9;

    explicit CUdpNeighbourProbe(QString neighbourTablePath = QString());

    void begin(quint32 sourceAddress) override;
    void probe(quint32 address) override;
    QHash<quint32, CMacAddress> answeredHosts() override;
    QHash<quint32, CMacAddress> ownAddresses() override;
    void end() override;

private:
    QString m_tablePath;
    CFileDescriptor m_socket;
};
