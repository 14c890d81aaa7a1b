#include "sim/CSimHostNameResolver.h"

#include "sim/CSimNetwork.h"

#include <QHostInfo>
#include <optional>

CSimHostNameResolver::CSimHostNameResolver(std::shared_ptr<CSimNetwork> site)
    : m_site(std::move(site)) {}

QString CSimHostNameResolver::nameOf(quint32 address) {
    const std::optional<QByteArray> name =
        m_site->withSite([address](const CSimSite& site) -> std::optional<QByteArray> {
            const int gateway = site.gatewayIndex(address);
            if (gateway < 0) {
                return std::nullopt;
            }
            return site.gateways().at(gateway).name();
        });
    return name ? QString::fromLatin1(*name) : QHostInfo::localHostName();
}
