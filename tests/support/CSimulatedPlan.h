#pragma once

#include "core/address/CSettingAddress.h"
#include "core/plan/CValidationSchema.h"
#include "core/transport/CIpv4Address.h"
#include "sim/CSimSite.h"
#include "support/CDocFixture.h"

#include <QList>

// The plan that collecting a simulated site leaves: every gateway's name and settings, the
// announcements of its bus and every device's settings, entered as the replies they are.
// Header only, as CVirtualSite: the support library links the core alone.
namespace simulatedplan {

inline void enter(CSimSite& site, CDocFixture& fixture) {
    const CValidationSchema schema(site.models().schema());
    for (CSimGateway& gateway : site.gateways()) {
        const QByteArray prefix = "[00:00:00] (" + CIpv4Address::toDotted(gateway.address()) + ") ";
        QList<QByteArray> lines{prefix + "!NAME=" + gateway.name() + ";"};
        for (const QByteArray& reply : gateway.handle(CSimCommand::parse("&=?;"), 0, 0, schema)) {
            lines << prefix + reply.trimmed();
        }
        for (const CSimBusDevice& device : gateway.devices()) {
            for (const QByteArray& reply :
                 device.announcements() + device.report(CSettingAddress())) {
                lines << prefix + reply.trimmed();
            }
        }
        fixture.receive(lines);
    }
}

}  // namespace simulatedplan
