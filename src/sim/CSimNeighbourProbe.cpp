#include "sim/CSimNeighbourProbe.h"

#include "sim/CSimNetwork.h"
#include "sim/CSimSiteBuilder.h"

CSimNeighbourProbe::CSimNeighbourProbe(std::shared_ptr<CSimNetwork> site)
    : m_site(std::move(site)) {}

void CSimNeighbourProbe::begin(quint32 sourceAddress) {
    m_source = sourceAddress;
}

void CSimNeighbourProbe::probe(quint32) {
    // Every gateway of the site is known at once: nothing to ask.
}

QHash<quint32, CMacAddress> CSimNeighbourProbe::answeredHosts() {
    return m_site->withSite([](const CSimSite& site) {
        QHash<quint32, CMacAddress> hosts;
        for (const CSimGateway& gateway : site.gateways()) {
            hosts.insert(gateway.address(), CSimSiteBuilder::reportedMacAddress(gateway));
        }
        return hosts;
    });
}

QHash<quint32, CMacAddress> CSimNeighbourProbe::ownAddresses() {
    QHash<quint32, CMacAddress> own;
    if (m_source != 0) {
        own.insert(m_source, CMacAddress());
    }
    return own;
}

void CSimNeighbourProbe::end() {}
