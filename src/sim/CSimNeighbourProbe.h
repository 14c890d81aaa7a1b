#pragma once

#include "core/lan/INeighbourProbe.h"

#include <memory>

class CSimNetwork;

// The LAN scan's neighbour source for the demonstration: instead of the kernel's table,
// the simulated site says who is there. Its gateways answer with the hardware address
// they report themselves (NETWORK.MAC_ADD), and the scanning machine is there with the
// all-zero address of the loopback link it scans from.
class CSimNeighbourProbe : public INeighbourProbe {
public:
    explicit CSimNeighbourProbe(std::shared_ptr<CSimNetwork> site);

    void begin(quint32 sourceAddress) override;
    void probe(quint32 address) override;
    QHash<quint32, CMacAddress> answeredHosts() override;
    QHash<quint32, CMacAddress> ownAddresses() override;
    void end() override;

private:
    std::shared_ptr<CSimNetwork> m_site;
    quint32 m_source = 0;
};
