#pragma once

#include "core/lan/IHostNameResolver.h"

#include <memory>

class CSimNetwork;

// Names for the demonstration's LAN scan: a gateway of the simulated site is named by
// its NAME setting, any other host found (the scanning machine) by this machine's name.
class CSimHostNameResolver : public IHostNameResolver {
public:
    explicit CSimHostNameResolver(std::shared_ptr<CSimNetwork> site);

    QString nameOf(quint32 address) override;

private:
    std::shared_ptr<CSimNetwork> m_site;
};
